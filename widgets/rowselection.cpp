#include "widgets/rowselection.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QTimer>

#include <algorithm>

RowSelection::RowSelection(QAbstractItemModel *model, QObject *parent) : QItemSelectionModel(model, parent)
{
    connect(this, &QItemSelectionModel::selectionChanged, this, [this] {
        if (!applying_)
            Forget();
    });
    connect(model, &QAbstractItemModel::modelReset, this, &RowSelection::Forget);
}

void RowSelection::Attach(QAbstractItemView *view)
{
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

bool RowSelection::eventFilter(QObject *watched, QEvent *event)
{
    // A view decides what a click or a key does from the selection it sees.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ContextMenu:
        Sync();
        break;
    default:
        break;
    }
    return QItemSelectionModel::eventFilter(watched, event);
}

void RowSelection::Forget()
{
    valid_ = false;
    pending_ = false;
}

const std::vector<char> &RowSelection::Rows() const
{
    if (!valid_) {
        // Ranges can overlap after mixed selecting and deselecting; a flag per row cannot.
        rows_.assign(static_cast<std::size_t>(model()->rowCount()), 0);
        for (const QItemSelectionRange &range : selection()) {
            if (range.left() > 0)
                continue;
            std::fill(rows_.begin() + range.top(), rows_.begin() + range.bottom() + 1, 1);
        }
        valid_ = true;
    }
    return rows_;
}

bool RowSelection::IsRowSelected(int row) const
{
    const std::vector<char> &rows = Rows();
    return row >= 0 && row < int(rows.size()) && rows[std::size_t(row)] != 0;
}

void RowSelection::SetRowSelected(int row, bool selected)
{
    Rows();
    if (row < 0 || row >= int(rows_.size()))
        return;
    char &flag = rows_[std::size_t(row)];
    if ((flag != 0) == selected)
        return;
    flag = selected ? 1 : 0;
    if (!pending_) {
        pending_ = true;
        QTimer::singleShot(0, this, &RowSelection::Sync);
    }
}

void RowSelection::SetRows(const std::vector<char> &rows)
{
    pending_ = false;
    Apply(rows);
}

int RowSelection::SelectedRowCount() const
{
    const std::vector<char> &rows = Rows();
    return int(std::count_if(rows.begin(), rows.end(), [](char flag) { return flag != 0; }));
}

int RowSelection::FirstSelectedRow() const
{
    const std::vector<char> &rows = Rows();
    const auto found = std::find_if(rows.begin(), rows.end(), [](char flag) { return flag != 0; });
    return found == rows.end() ? -1 : int(found - rows.begin());
}

void RowSelection::Sync()
{
    if (!pending_)
        return;
    pending_ = false;
    Apply(rows_);
}

void RowSelection::Apply(const std::vector<char> &rows)
{
    // One range per run of selected rows, spanning every column, set in two steps so the
    // model never compares two long lists of ranges.
    QItemSelection runs;
    const int count = std::min(int(rows.size()), model()->rowCount());
    const int lastColumn = model()->columnCount() - 1;
    for (int row = 0; row < count;) {
        if (!rows[std::size_t(row)]) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < count && rows[std::size_t(row)])
            ++row;
        runs.append(QItemSelectionRange(model()->index(first, 0), model()->index(row - 1, lastColumn)));
    }
    applying_ = true;
    clearSelection();
    if (!runs.isEmpty())
        QItemSelectionModel::select(runs, QItemSelectionModel::Select);
    applying_ = false;
    if (&rows != &rows_)
        rows_ = rows;
    rows_.resize(std::size_t(model()->rowCount()), 0);
    valid_ = true;
}

void RowSelection::select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command)
{
    Sync();
    QItemSelectionModel::select(selection, command);
}

void RowSelection::clear()
{
    Forget();
    QItemSelectionModel::clear();
}

void RowSelection::reset()
{
    Forget();
    QItemSelectionModel::reset();
}
