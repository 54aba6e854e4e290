#pragma once

#include <QItemSelectionModel>

#include <vector>

class QAbstractItemView;

// The selection of a list of rows, shared by the views that show them: one selected flag per
// row, kept in step with the selection model the views paint from and act on.
//
// Reading a row's state from a selection model walks all its ranges, and selecting rows one
// by one merges ranges each time: both grow with the square of the rows in large folders.
// So reads and SetRowSelected work on the flags, and changed flags reach the model in one
// step: on the next pass of the event loop, or earlier when an attached view is about to take
// a click or a key, or when anyone changes the selection through the model's own interface.
// Changes made through the model (a user's clicks and keys) are read back into the flags
// when next asked for. No caller has to bring the two in step.
class RowSelection : public QItemSelectionModel {
    Q_OBJECT
public:
    explicit RowSelection(QAbstractItemModel *model, QObject *parent = nullptr);

    // A view that works on this selection model.
    void Attach(QAbstractItemView *view);

    // One flag per row of the model (nonzero when selected).
    const std::vector<char> &Rows() const;
    bool IsRowSelected(int row) const;          // false out of range
    void SetRowSelected(int row, bool selected); // ignored out of range
    // Replaces every flag and the model's selection at once.
    void SetRows(const std::vector<char> &rows);
    int SelectedRowCount() const;
    int FirstSelectedRow() const;               // -1 when none

    using QItemSelectionModel::select;
    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;
    void clear() override;
    void reset() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Sync();                      // changed flags to the model now
    void Apply(const std::vector<char> &rows);
    void Forget();                    // the model changed: read the flags from it again

    mutable std::vector<char> rows_;
    mutable bool valid_ = false;
    bool pending_ = false;            // rows_ is ahead of the model
    bool applying_ = false;
};
