#pragma once

#include <QAbstractItemModel>
#include <QByteArrayList>
#include <QIcon>
#include <QString>

#include <memory>
#include <vector>

// The folders of the folder tree: one top entry "Drives" holding the mounted volumes, each
// volume holding its folders. Folders are read from disk when first expanded.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Discards every node and reads the volumes again.
    void Rebuild();

    QModelIndex DrivesIndex() const;
    bool IsDrives(const QModelIndex &index) const;
    // The folder of a node without a trailing "/" ("/" for the root folder); "" for "Drives":
    // as shown, and as the file system names it.
    QString PathOf(const QModelIndex &index) const;
    QByteArray NativePathOf(const QModelIndex &index) const;
    // The node of an absolute, clean folder path (its bytes), reading and adding nodes on the way.
    QModelIndex IndexForPath(const QByteArray &path);
    // Reads the sub-folders of an absolute, clean folder path (its bytes) again when its node
    // has been read: gone ones leave, new ones come, the others keep their nodes. Nothing for
    // a folder the tree has not read, or cannot read now.
    void Reread(const QByteArray &path);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Node {
        enum class Kind { Invisible, Drives, Drive, Folder };
        QString name;                // as shown
        QByteArray native;           // the folder's path as the file system names it
        Kind kind = Kind::Folder;
        Node *parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool loaded = false;
        int row = 0;                 // position among its siblings
    };

    Node *NodeOf(const QModelIndex &index) const;
    QModelIndex IndexOf(const Node *node) const;
    void Load(Node *node);
    Node *ChildNamed(Node *node, const QByteArray &name);
    // The volume node that holds a path; nullptr for none.
    Node *VolumeOf(const QByteArray &path) const;
    static QByteArrayList PartsBelow(const Node *volume, const QByteArray &path);

    std::unique_ptr<Node> root_;
    QIcon drivesIcon_, driveIcon_, folderIcon_;
};
