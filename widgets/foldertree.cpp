#include "widgets/foldertree.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "widgets/filelistview.h"
#include "widgets/foldertreemodel.h"
#include "widgets/keysignal.h"

#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include <sys/stat.h>

namespace {

QByteArray WithSeparator(const QByteArray &path)
{
    return path.endsWith('/') ? path : path + '/';
}


} // namespace

FolderTree::FolderTree(QWidget *parent) : QTreeView(parent), model_(new FolderTreeModel(this))
{
    setModel(model_);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    // The folder shown stays marked while the user works in the file list.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    // The column is measured on the rows in view; measure again when other rows come into view.
    const auto fitColumn = [this] { header()->resizeSections(QHeaderView::ResizeToContents); };
    connect(this, &QTreeView::expanded, this, fitColumn);
    connect(this, &QTreeView::collapsed, this, fitColumn);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, fitColumn);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (quiet_)
            return;
        const QModelIndexList chosen = selectionModel()->selectedIndexes();
        if (!chosen.isEmpty())
            Choose(chosen.first());
    });
    RebuildTree();
}

QString FolderTree::SelectedPath() const
{
    return selectedPath_;
}

void FolderTree::SetSelectedPath(const QString &path)
{
    selectedPath_ = path;
    selectedNative_ = path.startsWith(u'/') ? NativePath(path) : QByteArray();
}

QByteArray FolderTree::NativeSelectedPath() const
{
    return selectedNative_;
}

void FolderTree::SetNativeSelectedPath(const QByteArray &path)
{
    selectedNative_ = path;
    selectedPath_ = PathFromNative(path);
}

FileListView *FolderTree::FileList() const
{
    return fileList_;
}

void FolderTree::SetFileList(FileListView *list)
{
    fileList_ = list;
}

void FolderTree::SelectQuietly(const QModelIndex &index)
{
    quiet_ = true;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        expand(above);
    setCurrentIndex(index);
    scrollTo(index);
    quiet_ = false;
}

void FolderTree::Choose(const QModelIndex &index)
{
    if (model_->IsDrives(index)) {
        selectedPath_ = FileListView::DrivesValue;
        selectedNative_.clear();
    } else {
        SetNativeSelectedPath(WithSeparator(model_->NativePathOf(index)));
    }
    const QString chosen = selectedPath_;
    const QByteArray native = selectedNative_;
    emit DirChange(chosen);
    if (!fileList_)
        return;
    if (native.isEmpty())
        fileList_->SetDirectory(chosen);
    else
        fileList_->SetNativeDirectory(native);
}

void FolderTree::OpenFolder(const QString &path)
{
    if (path.size() <= 1 || !QDir::isAbsolutePath(path))
        return;
    OpenNativeFolder(NativePath(path));
}

void FolderTree::OpenNativeFolder(const QByteArray &path)
{
    if (path.size() <= 1 || !path.startsWith('/'))
        return;
    const QByteArray folder = CleanNativePath(path);
    if (!IsFolder(folder))
        return;
    ShowFolder(folder);
}

void FolderTree::ShowFolder(const QByteArray &folder)
{
    const QModelIndex index = model_->IndexForPath(folder);
    if (!index.isValid())
        return;
    SelectQuietly(index);
    SetNativeSelectedPath(WithSeparator(folder));
    const QString chosen = selectedPath_;
    const QByteArray native = selectedNative_;
    emit DirChange(chosen);
    if (fileList_)
        fileList_->SetNativeDirectory(native);
}

void FolderTree::ShowDirectory(const QString &directory)
{
    if (directory.compare(FileListView::DrivesValue, Qt::CaseInsensitive) == 0)
        SelectDrives();
    else if (QDir::isAbsolutePath(directory))
        ShowNativeDirectory(NativePath(directory));
}

void FolderTree::ShowNativeDirectory(const QByteArray &directory)
{
    if (directory.startsWith('/'))
        ShowFolder(CleanNativePath(directory));
}

void FolderTree::SelectDrives()
{
    const QModelIndex drives = model_->DrivesIndex();
    if (currentIndex() == drives && selectedPath_ == FileListView::DrivesValue && selectedNative_.isEmpty())
        return;
    SelectQuietly(drives);
    Choose(drives);
}

void FolderTree::showEvent(QShowEvent *event)
{
    QTreeView::showEvent(event);
    // A folder opened before the tree had its size (at start-up) is brought into view once
    // the tree is laid out, with the names readable from their start.
    QTimer::singleShot(0, this, [this] {
        if (!currentIndex().isValid())
            return;
        scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
        horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    });
}

void FolderTree::keyPressEvent(QKeyEvent *event)
{
    if (!KeyTakenBySignal(event, [&] { emit KeyDown(event); }))
        QTreeView::keyPressEvent(event);
}

void FolderTree::keyReleaseEvent(QKeyEvent *event)
{
    if (!KeyTakenBySignal(event, [&] { emit KeyUp(event); }))
        QTreeView::keyReleaseEvent(event);
}

void FolderTree::RebuildTree()
{
    quiet_ = true;
    model_->Rebuild();
    collapseAll();
    expand(model_->DrivesIndex());
    scrollToTop();
    quiet_ = false;
}

void FolderTree::RereadSubfolders(const QString &folder)
{
    if (QDir::isAbsolutePath(folder))
        RereadSubfolders(NativePath(folder));
}

void FolderTree::RereadSubfolders(const QByteArray &folder)
{
    if (!folder.startsWith('/'))
        return;
    quiet_ = true;
    model_->Reread(CleanNativePath(folder));
    quiet_ = false;
}
