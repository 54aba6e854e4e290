#include "widgets/filelistview.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "widgets/filelistmodel.h"
#include "widgets/foldertree.h"
#include "widgets/keysignal.h"
#include "widgets/rowselection.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSet>
#include <QStackedLayout>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <initializer_list>

#include <sys/stat.h>

namespace {

bool SameFolderOnDisk(const QByteArray &a, const QByteArray &b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.constData(), &first) == 0 && ::stat(b.constData(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}


} // namespace

// The behaviour both views share: clicks, keys, opening entries, the popup menu.
// QListView shows large icons, small icons and the list; QTreeView the details.
template <typename Base>
class FileItemView : public Base {
public:
    explicit FileItemView(FileListView *owner) : Base(owner), owner_(owner)
    {
        this->setSelectionMode(QAbstractItemView::ExtendedSelection);
        this->setSelectionBehavior(QAbstractItemView::SelectRows);
        // Browsing never renames or moves anything.
        this->setEditTriggers(QAbstractItemView::NoEditTriggers);
        this->setDragEnabled(false);
        this->setAcceptDrops(false);
        this->setContextMenuPolicy(Qt::DefaultContextMenu);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        Base::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            owner_->TakeClick();
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        const QModelIndex index = this->indexAt(event->position().toPoint());
        Base::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && index.isValid())
            owner_->OpenEntry(index.row());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (KeyTakenBySignal(event, [&] { emit owner_->KeyDown(event); }))
            return;
        const int key = event->key();
        const QModelIndex current = this->currentIndex();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && current.isValid()) {
            owner_->OpenEntry(current.row());
            event->accept();
            return;
        }
        if (key == Qt::Key_Backspace && owner_->Count() > 0
            && owner_->model_->Entry(0).kind == FileEntry::Kind::Parent) {
            owner_->OpenEntry(0);
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
    }

    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (KeyTakenBySignal(event, [&] { emit owner_->KeyUp(event); }))
            return;
        Base::keyReleaseEvent(event);
        const bool upDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
        if (upDown && !event->isAutoRepeat())
            owner_->TakeClick();
    }

    void contextMenuEvent(QContextMenuEvent *event) override { owner_->ShowPopup(event); }

    // Also raised when a scroll bar comes or goes and the viewport changes with it.
    void resizeEvent(QResizeEvent *event) override
    {
        Base::resizeEvent(event);
        if (static_cast<QAbstractItemView *>(this) == owner_->detailsView_)
            owner_->FitNameColumn();
    }

private:
    FileListView *owner_;
};

using FileIconsView = FileItemView<QListView>;
using FileDetailsView = FileItemView<QTreeView>;

FileListView::FileListView(QWidget *parent)
    : QWidget(parent), model_(new FileListModel(this)), directory_(DrivesValue), mask_(QStringLiteral("*.*"))
{
    selection_ = new RowSelection(model_, this);

    auto *details = new FileDetailsView(this);
    details->setModel(model_);
    QItemSelectionModel *own = details->selectionModel();
    details->setSelectionModel(selection_);
    delete own;
    details->setRootIsDecorated(false);
    details->setItemsExpandable(false);
    details->setUniformRowHeights(true);
    details->setAllColumnsShowFocus(true);
    details->setWordWrap(false);
    details->header()->setStretchLastSection(false);
    details->header()->setSectionsMovable(false);
    detailsView_ = details;
    FitColumns();

    auto *icons = new FileIconsView(this);
    icons->setLayoutMode(QListView::Batched);
    icons->setBatchSize(2000);
    iconsView_ = icons;

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(detailsView_);
    stack_->addWidget(iconsView_);
    stack_->setCurrentWidget(detailsView_);
    setFocusProxy(detailsView_);

    selection_->Attach(detailsView_);
    selection_->Attach(iconsView_);

    Load();
}

QString FileListView::Directory() const
{
    return directory_;
}

void FileListView::SetDirectory(const QString &directory)
{
    if (directory.compare(DrivesValue, Qt::CaseInsensitive) != 0) {
        if (!directory.isEmpty() && QDir::isAbsolutePath(directory))
            SetNativeDirectory(NativePath(directory));
        return;
    }
    if (directory_ == DrivesValue)
        return;
    directory_ = DrivesValue;
    directoryNative_.clear();
    ShowLoaded();
}

QByteArray FileListView::NativeDirectory() const
{
    return directoryNative_;
}

void FileListView::SetNativeDirectory(const QByteArray &directory)
{
    if (!directory.startsWith('/'))
        return;
    QByteArray folder = CleanNativePath(directory);
    if (!IsFolder(folder))
        return;
    if (!folder.endsWith('/'))
        folder += '/';
    const QString text = PathFromNative(folder);
    // The folder shown, also when written with other letter case on a file system that
    // ignores case; two folders that differ only in case are still two folders here.
    if (directory_ != DrivesValue
        && (folder == directoryNative_
            || (text.compare(directory_, Qt::CaseInsensitive) == 0 && SameFolderOnDisk(folder, directoryNative_))))
        return;
    directory_ = text;
    directoryNative_ = folder;
    ShowLoaded();
}

void FileListView::ShowLoaded()
{
    Load();
    selection_->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::NoUpdate);
    View()->scrollToTop();
}

QString FileListView::Mask() const
{
    return mask_;
}

void FileListView::SetMask(const QString &mask)
{
    if (mask == mask_)
        return;
    mask_ = mask;
    if (directory_ != DrivesValue)
        RereadFolder();
}

FolderTree *FileListView::DirTree() const
{
    return tree_;
}

void FileListView::SetDirTree(FolderTree *tree)
{
    tree_ = tree;
}

int FileListView::Count() const
{
    return model_->rowCount();
}

QString FileListView::Caption(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return model_->Entry(index).name;
}

QByteArray FileListView::NativeName(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return model_->Entry(index).native;
}

FileListView::EntryKind FileListView::Kind(int index) const
{
    if (index < 0 || index >= Count())
        return EntryKind::Parent;
    return model_->Entry(index).kind;
}

std::vector<FileListView::SelectedEntry> FileListView::SelectedEntries() const
{
    std::vector<SelectedEntry> entries;
    const std::vector<char> &rows = selection_->Rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row] != 0) {
            const FileEntry &entry = model_->Entry(static_cast<int>(row));
            entries.push_back({entry.kind, entry.name, entry.native});
        }
    }
    return entries;
}

bool FileListView::Selected(int index) const
{
    return selection_->IsRowSelected(index);
}

void FileListView::SetSelected(int index, bool selected)
{
    selection_->SetRowSelected(index, selected);
}

int FileListView::SelCount() const
{
    return selection_->SelectedRowCount();
}

QString FileListView::SelectedItem() const
{
    return selectedItem_;
}

ViewStyle FileListView::GetViewStyle() const
{
    return style_;
}

void FileListView::SetViewStyle(ViewStyle style)
{
    QAbstractItemView *before = View();
    const bool hadFocus = before->hasFocus();
    style_ = style;

    if (style == ViewStyle::vsReport) {
        stack_->setCurrentWidget(detailsView_);
        // A hidden icon view would lay out every entry of each folder shown; it gets the
        // entries back when it is shown again.
        iconsView_->setModel(nullptr);
    } else {
        if (iconsView_->model() != model_) {
            QItemSelectionModel *emptyOwn = iconsView_->selectionModel();
            iconsView_->setModel(model_);
            QItemSelectionModel *own = iconsView_->selectionModel();
            iconsView_->setSelectionModel(selection_);
            delete own;
            if (emptyOwn != selection_)
                delete emptyOwn;
        }
        const bool large = style == ViewStyle::vsIcon;
        iconsView_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        iconsView_->setMovement(QListView::Static);
        iconsView_->setResizeMode(QListView::Adjust);
        iconsView_->setWrapping(true);
        iconsView_->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        iconsView_->setWordWrap(large);
        iconsView_->setFlow(style == ViewStyle::vsList ? QListView::TopToBottom : QListView::LeftToRight);
        if (large)
            iconsView_->setGridSize(QSize(96, 72));
        else if (style == ViewStyle::vsSmallIcon)
            iconsView_->setGridSize(QSize(180, 22));
        else
            iconsView_->setGridSize(QSize());
        stack_->setCurrentWidget(iconsView_);
    }

    QAbstractItemView *after = View();
    setFocusProxy(after);
    if (hadFocus)
        after->setFocus();
    if (selection_->currentIndex().isValid())
        after->scrollTo(selection_->currentIndex());
}

// The columns beside the name are as wide as the longest text they can hold, measured on
// samples rather than on the entries, so a folder of many files costs nothing more.
void FileListView::FitColumns()
{
    QHeaderView *header = detailsView_->header();
    const QFontMetrics metrics(detailsView_->font());
    const int padding = 2 * detailsView_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, detailsView_)
                      + metrics.averageCharWidth() * 2;
    // Never narrower than the design widths.
    const auto fit = [&](int column, int designWidth, std::initializer_list<QString> samples) {
        int width = std::max(designWidth, header->sectionSizeHint(column));
        for (const QString &sample : samples)
            width = std::max(width, metrics.horizontalAdvance(sample) + padding);
        header->resizeSection(column, width);
    };
    const QLocale locale;
    FileEntry folder;
    folder.kind = FileEntry::Kind::Folder;
    FileEntry file;
    file.kind = FileEntry::Kind::File;
    file.name = QStringLiteral("W.MPEG");
    fit(FileListModel::SizeColumn, 75, {locale.toString(9999999) + QStringLiteral(" KB"),
                                    locale.formattedDataSize(Q_INT64_C(999) << 30, 1,
                                                             QLocale::DataSizeTraditionalFormat)});
    fit(FileListModel::TypeColumn, 95, {model_->TypeText(folder), model_->TypeText(file)});
    fit(FileListModel::ModifiedColumn, 125,
        {locale.toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat)});
    fit(FileListModel::AttributesColumn, 40, {QStringLiteral("RHL")});
    FitNameColumn();
}

// The name takes the room the other columns leave; in a narrow list it keeps two thirds of
// the width (up to 300 pixels, never less than its design width) and the other columns
// scroll into view.
void FileListView::FitNameColumn()
{
    QHeaderView *header = detailsView_->header();
    int others = 0;
    for (int column = FileListModel::NameColumn + 1; column < FileListModel::ColumnCount; ++column)
        others += header->sectionSize(column);
    const int room = detailsView_->viewport()->width() - others;
    const int width = std::max({room, std::min(detailsView_->viewport()->width() * 2 / 3, 300), 165});
    if (header->sectionSize(FileListModel::NameColumn) != width)
        header->resizeSection(FileListModel::NameColumn, width);
}

void FileListView::Load()
{
    if (directory_ == DrivesValue)
        model_->LoadDrives();
    else
        model_->LoadFolder(directoryNative_, mask_);
}

void FileListView::RereadFolder()
{
    QSet<QByteArray> selectedNames;
    const std::vector<char> &rows = selection_->Rows();
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row])
            selectedNames.insert(model_->Entry(static_cast<int>(row)).native);
    const QModelIndex current = selection_->currentIndex();
    const QByteArray currentName = current.isValid() ? model_->Entry(current.row()).native : QByteArray();
    QAbstractItemView *view = View();
    const int scrollY = view->verticalScrollBar()->value();
    const int scrollX = view->horizontalScrollBar()->value();

    Load();

    // Keep what the user had selected where it still exists.
    const int count = Count();
    if (!selectedNames.isEmpty()) {
        std::vector<char> kept(static_cast<std::size_t>(count), 0);
        for (int row = 0; row < count; ++row)
            kept[static_cast<std::size_t>(row)] = selectedNames.contains(model_->Entry(row).native) ? 1 : 0;
        selection_->SetRows(kept);
    }
    int currentRow = 0;
    if (!currentName.isEmpty()) {
        for (int row = 0; row < count; ++row) {
            if (model_->Entry(row).native == currentName) {
                currentRow = row;
                break;
            }
        }
    }
    if (count > 0)
        selection_->setCurrentIndex(model_->index(currentRow, 0), QItemSelectionModel::NoUpdate);
    view->doItemsLayout();
    view->verticalScrollBar()->setValue(scrollY);
    view->horizontalScrollBar()->setValue(scrollX);
}

void FileListView::SetPopupMenu(QMenu *menu)
{
    popup_ = menu;
}

QAbstractItemView *FileListView::View() const
{
    if (style_ == ViewStyle::vsReport)
        return detailsView_;
    return iconsView_;
}

QString FileListView::EntryPath(int row) const
{
    const FileEntry &entry = model_->Entry(row);
    switch (entry.kind) {
    case FileEntry::Kind::Parent: {
        if (directory_ == u"/")
            return DrivesValue;
        const QString up = QDir::cleanPath(directory_ + QStringLiteral(".."));
        return up.endsWith(u'/') ? up : up + u'/';
    }
    case FileEntry::Kind::Drive:
        return entry.name;
    case FileEntry::Kind::Folder:
    case FileEntry::Kind::File:
        break;
    }
    return directory_ + entry.name;
}

bool FileListView::TakeSelectedItem()
{
    const int row = selection_->FirstSelectedRow();
    if (row < 0)
        return false;
    selectedItem_ = EntryPath(row);
    return true;
}

void FileListView::TakeClick()
{
    if (TakeSelectedItem())
        emit Click();
}

void FileListView::OpenEntry(int row)
{
    if (row < 0 || row >= Count())
        return;
    const FileEntry &entry = model_->Entry(row);
    QByteArray target; // "" for the drives
    switch (entry.kind) {
    case FileEntry::Kind::File:
        return;
    case FileEntry::Kind::Drive:
        target = entry.native;
        break;
    case FileEntry::Kind::Folder:
        target = directoryNative_ + entry.native;
        if (!IsFolder(target)) {
            // Gone since the folder was read: show what is there now.
            RereadFolder();
            return;
        }
        break;
    case FileEntry::Kind::Parent:
        if (directoryNative_ == "/")
            break;
        // Up to the nearest folder that still exists.
        target = CleanNativePath(directoryNative_);
        do {
            target = NativeFolderOf(target);
        } while (target != "/" && !IsFolder(target));
        break;
    }

    if (target.isEmpty())
        SetDirectory(DrivesValue);
    else
        SetNativeDirectory(target);
    if (!tree_)
        return;
    if (directory_ == DrivesValue)
        tree_->ShowDirectory(DrivesValue);
    else
        tree_->ShowNativeDirectory(directoryNative_);
}

void FileListView::ShowPopup(QContextMenuEvent *event)
{
    // The menu acts on the entry under the pointer; a right click is no click, though, so
    // whatever the click handler does (rebuilding the tag list) stays undone.
    if (event->reason() == QContextMenuEvent::Mouse)
        TakeSelectedItem();
    event->accept();
    if (popup_ && !popup_->isEmpty())
        popup_->popup(event->globalPos());
}
