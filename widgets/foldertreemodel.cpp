#include "widgets/foldertreemodel.h"

#include "platform/paths.h"
#include "widgets/volumes.h"

#include <QApplication>
#include <QSet>
#include <QStyle>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder's name: its bytes and the text shown for them.
struct FolderName {
    QByteArray native;
    QString text;
};

bool NameBefore(const FolderName &a, const FolderName &b)
{
    const int c = a.text.compare(b.text, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return a.text != b.text ? a.text < b.text : a.native < b.native;
}

// Names of the sub-folders (hidden ones included), links to folders counted as folders, in
// tree order; false when the folder cannot be listed.
bool ReadSubfolders(const QByteArray &folder, std::vector<FolderName> &names)
{
    names.clear();
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return false;
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    while (const dirent *item = ::readdir(dir)) {
        const char *raw = item->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        bool isDir = item->d_type == DT_DIR;
        if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat info {};
            isDir = ::fstatat(dirFd, raw, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (isDir) {
            const QByteArray native(raw);
            names.push_back({native, PathFromNative(native)});
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), NameBefore);
    return true;
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject *parent) : QAbstractItemModel(parent)
{
    QStyle *style = QApplication::style();
    drivesIcon_ = QIcon::fromTheme(QStringLiteral("computer"), style->standardIcon(QStyle::SP_ComputerIcon));
    driveIcon_ = QIcon::fromTheme(QStringLiteral("drive-harddisk"), style->standardIcon(QStyle::SP_DriveHDIcon));
    folderIcon_ = QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
    Rebuild();
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::Rebuild()
{
    beginResetModel();
    root_ = std::make_unique<Node>();
    root_->kind = Node::Kind::Invisible;
    root_->loaded = true;

    auto drives = std::make_unique<Node>();
    drives->name = QStringLiteral("Drives");
    drives->kind = Node::Kind::Drives;
    drives->parent = root_.get();
    drives->loaded = true;

    for (const Volume &volume : MountedVolumes()) {
        auto drive = std::make_unique<Node>();
        drive->name = volume.rootPath;
        drive->native = NativePath(volume.rootPath);
        drive->kind = Node::Kind::Drive;
        drive->parent = drives.get();
        drive->row = static_cast<int>(drives->children.size());
        drives->children.push_back(std::move(drive));
    }
    root_->children.push_back(std::move(drives));
    endResetModel();
}

FolderTreeModel::Node *FolderTreeModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : root_.get();
}

QModelIndex FolderTreeModel::IndexOf(const Node *node) const
{
    if (!node || node == root_.get() || !node->parent)
        return {};
    return createIndex(node->row, 0, const_cast<Node *>(node));
}

QModelIndex FolderTreeModel::DrivesIndex() const
{
    return createIndex(0, 0, root_->children.front().get());
}

bool FolderTreeModel::IsDrives(const QModelIndex &index) const
{
    return index.isValid() && NodeOf(index)->kind == Node::Kind::Drives;
}

QString FolderTreeModel::PathOf(const QModelIndex &index) const
{
    return index.isValid() ? PathFromNative(NodeOf(index)->native) : QString();
}

QByteArray FolderTreeModel::NativePathOf(const QModelIndex &index) const
{
    return index.isValid() ? NodeOf(index)->native : QByteArray();
}

void FolderTreeModel::Load(Node *node)
{
    if (node->loaded)
        return;
    node->loaded = true;
    std::vector<FolderName> names;
    ReadSubfolders(node->native, names);
    if (names.empty())
        return;
    beginInsertRows(IndexOf(node), 0, static_cast<int>(names.size()) - 1);
    for (const FolderName &name : names) {
        auto child = std::make_unique<Node>();
        child->name = name.text;
        child->native = JoinPath(node->native, name.native);
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

FolderTreeModel::Node *FolderTreeModel::ChildNamed(Node *node, const QByteArray &name)
{
    Load(node);
    auto &children = node->children;
    const QByteArray path = JoinPath(node->native, name);
    for (const auto &child : children)
        if (child->native == path)
            return child.get();
    // A folder that exists but could not be listed (no read right on its parent) still
    // gets its node, so the tree can show where the user is.
    const FolderName named{name, PathFromNative(name)};
    const auto place = std::find_if(children.begin(), children.end(), [&named](const auto &child) {
        return NameBefore(named, {NativeFileName(child->native), child->name});
    });
    const int row = static_cast<int>(place - children.begin());
    beginInsertRows(IndexOf(node), row, row);
    auto child = std::make_unique<Node>();
    child->name = named.text;
    child->native = path;
    child->parent = node;
    Node *added = child.get();
    children.insert(children.begin() + row, std::move(child));
    for (std::size_t i = static_cast<std::size_t>(row); i < children.size(); ++i)
        children[i]->row = static_cast<int>(i);
    endInsertRows();
    return added;
}

FolderTreeModel::Node *FolderTreeModel::VolumeOf(const QByteArray &path) const
{
    if (!path.startsWith('/'))
        return nullptr;
    // The volume mounted deepest along the path holds it.
    const Node *drives = root_->children.front().get();
    Node *best = nullptr;
    for (const auto &drive : drives->children) {
        const QByteArray &rootPath = drive->native;
        const bool holds = rootPath == "/" || path == rootPath || path.startsWith(rootPath + '/');
        if (holds && (!best || rootPath.size() > best->native.size()))
            best = drive.get();
    }
    return best;
}

QByteArrayList FolderTreeModel::PartsBelow(const Node *volume, const QByteArray &path)
{
    const QByteArray rest = volume->native == "/" ? path : path.mid(volume->native.size());
    QByteArrayList parts;
    for (const QByteArray &part : rest.split('/'))
        if (!part.isEmpty())
            parts.append(part);
    return parts;
}

QModelIndex FolderTreeModel::IndexForPath(const QByteArray &path)
{
    Node *node = VolumeOf(path);
    if (!node)
        return {};
    for (const QByteArray &part : PartsBelow(node, path))
        node = ChildNamed(node, part);
    return IndexOf(node);
}

void FolderTreeModel::Reread(const QByteArray &path)
{
    Node *node = VolumeOf(path);
    if (!node)
        return;
    for (const QByteArray &part : PartsBelow(node, path)) {
        const QByteArray childPath = JoinPath(node->native, part);
        const auto &children = node->children;
        const auto child = std::find_if(children.begin(), children.end(),
                                        [&childPath](const auto &c) { return c->native == childPath; });
        if (child == children.end())
            return; // never shown: it is read when it is first expanded
        node = child->get();
    }
    std::vector<FolderName> names;
    if (!node->loaded || !ReadSubfolders(node->native, names))
        return;

    // Both lists are in tree order: the folders gone go, the new ones go to their places, and
    // every folder still there keeps its node, so what was expanded stays expanded.
    auto &children = node->children;
    const QModelIndex parent = IndexOf(node);
    // The views ask for the parents of deeper nodes while they follow a change.
    const auto renumber = [&children] {
        for (std::size_t row = 0; row < children.size(); ++row)
            children[row]->row = int(row);
    };
    QSet<QByteArray> present;
    for (const FolderName &name : names)
        present.insert(JoinPath(node->native, name.native));
    for (int end = int(children.size()); end > 0;) {
        int start = end;
        while (start > 0 && !present.contains(children[std::size_t(start - 1)]->native))
            --start;
        if (start < end) {
            beginRemoveRows(parent, start, end - 1);
            children.erase(children.begin() + start, children.begin() + end);
            renumber();
            endRemoveRows();
        }
        end = start - 1;
    }
    const auto same = [&](std::size_t at, std::size_t i) {
        return at < children.size() && children[at]->native == JoinPath(node->native, names[i].native);
    };
    std::size_t at = 0;
    for (std::size_t i = 0; i < names.size();) {
        if (same(at, i)) {
            ++at;
            ++i;
            continue;
        }
        std::size_t last = i;
        while (last + 1 < names.size() && !same(at, last + 1))
            ++last;
        beginInsertRows(parent, int(at), int(at + (last - i)));
        for (; i <= last; ++i, ++at) {
            auto child = std::make_unique<Node>();
            child->name = names[i].text;
            child->native = JoinPath(node->native, names[i].native);
            child->parent = node;
            children.insert(children.begin() + std::ptrdiff_t(at), std::move(child));
        }
        renumber();
        endInsertRows();
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = NodeOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(NodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(NodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    const Node *node = NodeOf(parent);
    return !node->loaded || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    return !NodeOf(parent)->loaded;
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    Load(NodeOf(parent));
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::ToolTipRole:
        return node->kind == Node::Kind::Drives ? node->name : PathFromNative(node->native);
    case Qt::DecorationRole:
        switch (node->kind) {
        case Node::Kind::Drives: return drivesIcon_;
        case Node::Kind::Drive: return driveIcon_;
        default: return folderIcon_;
        }
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
