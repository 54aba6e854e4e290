#pragma once

#include <QPointer>
#include <QString>
#include <QTreeView>

class FileListView;
class FolderTreeModel;
class QFileSystemModel;

// The folder tree of both pages. Its top level lists the mounted volumes ("Drives");
// choosing a folder by mouse or keyboard shows it in the linked file list.
class FolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTree(QWidget *parent = nullptr);

    // The folder selected: "Drives" while the top level is selected, "" before any folder
    // was chosen; after OpenFolder it ends with "/". Assigning only records the path.
    QString SelectedPath() const;
    void SetSelectedPath(const QString &path);
    // The same folder as the file system names it; "" for none and for "Drives".
    QByteArray NativeSelectedPath() const;
    void SetNativeSelectedPath(const QByteArray &path);

    FileListView *FileList() const;
    void SetFileList(FileListView *list);

    // Ignored when the path is empty, one character long or not an existing folder;
    // otherwise expands down to it, selects it, makes it SelectedPath and emits DirChange.
    void OpenFolder(const QString &path);
    void OpenNativeFolder(const QByteArray &path);

    // Discards every node and builds the tree again from the drives, showing its root level.
    void RebuildTree();

    // Shows the current sub-folders of a folder whose entries were renamed, created or
    // removed: each one still there stays as it was (expanded or not), the selection too.
    // Nothing for a folder the tree has not read yet.
    void RereadSubfolders(const QString &folder);
    void RereadSubfolders(const QByteArray &folder);

    // Follows a folder the linked file list opened: "Drives" selects the top entry, a folder
    // ("/" included) is expanded and selected; it becomes SelectedPath and DirChange is raised.
    void ShowDirectory(const QString &directory);
    void ShowNativeDirectory(const QByteArray &directory);

signals:
    void DirChange(const QString &path);   // OnDirChange
    // Each key pressed or released while the tree has the focus, before the tree acts on
    // it; a receiver that accepts the event keeps it from the tree.
    void KeyDown(QKeyEvent *event);
    void KeyUp(QKeyEvent *event);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // Shows the chosen node: records it, raises DirChange and shows it in the file list.
    void Choose(const QModelIndex &index);
    // Selects the top entry, as when the file list went up from "/" to the drives.
    void SelectDrives();
    // OpenFolder without its checks, for folders the file list opened ("/" included).
    void ShowFolder(const QByteArray &folder);
    void SelectQuietly(const QModelIndex &index);

    FolderTreeModel *model_ = nullptr;
    QPointer<FileListView> fileList_;
    QString selectedPath_;
    QByteArray selectedNative_;
    bool quiet_ = false;               // selection changed by the program, not by the user
};
