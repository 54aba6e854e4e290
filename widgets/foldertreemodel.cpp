#include "widgets/foldertreemodel.h"

#include "widgets/volumes.h"

#include <QApplication>
#include <QFile>
#include <QSet>
#include <QStyle>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool NameBefore(const QString &a, const QString &b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Names of the sub-folders (hidden ones included), links to folders counted as folders, in
// tree order; false when the folder cannot be listed.
bool ReadSubfolders(const QString &folder, QStringList &names)
{
    names.clear();
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        if (isDir)
            names.append(QFile::decodeName(raw));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), NameBefore);
    return true;
}

QString JoinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
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
        drive->path = volume.rootPath;
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
    return index.isValid() ? NodeOf(index)->path : QString();
}

void FolderTreeModel::Load(Node *node)
{
    if (node->loaded)
        return;
    node->loaded = true;
    QStringList names;
    ReadSubfolders(node->path, names);
    if (names.isEmpty())
        return;
    beginInsertRows(IndexOf(node), 0, static_cast<int>(names.size()) - 1);
    for (const QString &name : names) {
        auto child = std::make_unique<Node>();
        child->name = name;
        child->path = JoinPath(node->path, name);
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        node->children.push_back(std::move(child));
    }
    endInsertRows();
}

FolderTreeModel::Node *FolderTreeModel::ChildNamed(Node *node, const QString &name)
{
    Load(node);
    auto &children = node->children;
    for (const auto &child : children)
        if (child->name == name)
            return child.get();
    // A folder that exists but could not be listed (no read right on its parent) still
    // gets its node, so the tree can show where the user is.
    const auto place = std::find_if(children.begin(), children.end(),
                                    [&name](const auto &child) { return NameBefore(name, child->name); });
    const int row = static_cast<int>(place - children.begin());
    beginInsertRows(IndexOf(node), row, row);
    auto child = std::make_unique<Node>();
    child->name = name;
    child->path = JoinPath(node->path, name);
    child->parent = node;
    Node *added = child.get();
    children.insert(children.begin() + row, std::move(child));
    for (std::size_t i = static_cast<std::size_t>(row); i < children.size(); ++i)
        children[i]->row = static_cast<int>(i);
    endInsertRows();
    return added;
}

FolderTreeModel::Node *FolderTreeModel::VolumeOf(const QString &path) const
{
    if (!path.startsWith(u'/'))
        return nullptr;
    // The volume mounted deepest along the path holds it.
    const Node *drives = root_->children.front().get();
    Node *best = nullptr;
    for (const auto &drive : drives->children) {
        const QString &rootPath = drive->path;
        const bool holds = rootPath == u"/" || path == rootPath || path.startsWith(rootPath + u'/');
        if (holds && (!best || rootPath.size() > best->path.size()))
            best = drive.get();
    }
    return best;
}

QStringList FolderTreeModel::PartsBelow(const Node *volume, const QString &path)
{
    const QString rest = volume->path == u"/" ? path : path.mid(volume->path.size());
    return rest.split(u'/', Qt::SkipEmptyParts);
}

QModelIndex FolderTreeModel::IndexForPath(const QString &path)
{
    Node *node = VolumeOf(path);
    if (!node)
        return {};
    for (const QString &part : PartsBelow(node, path))
        node = ChildNamed(node, part);
    return IndexOf(node);
}

void FolderTreeModel::Reread(const QString &path)
{
    Node *node = VolumeOf(path);
    if (!node)
        return;
    for (const QString &part : PartsBelow(node, path)) {
        const auto &children = node->children;
        const auto child = std::find_if(children.begin(), children.end(),
                                        [&part](const auto &c) { return c->name == part; });
        if (child == children.end())
            return; // never shown: it is read when it is first expanded
        node = child->get();
    }
    QStringList names;
    if (!node->loaded || !ReadSubfolders(node->path, names))
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
    const QSet<QString> present(names.begin(), names.end());
    for (int end = int(children.size()); end > 0;) {
        int start = end;
        while (start > 0 && !present.contains(children[std::size_t(start - 1)]->name))
            --start;
        if (start < end) {
            beginRemoveRows(parent, start, end - 1);
            children.erase(children.begin() + start, children.begin() + end);
            renumber();
            endRemoveRows();
        }
        end = start - 1;
    }
    std::size_t at = 0;
    for (qsizetype i = 0; i < names.size();) {
        if (at < children.size() && children[at]->name == names[i]) {
            ++at;
            ++i;
            continue;
        }
        qsizetype last = i;
        while (last + 1 < names.size() && (at >= children.size() || children[at]->name != names[last + 1]))
            ++last;
        beginInsertRows(parent, int(at), int(at + std::size_t(last - i)));
        for (; i <= last; ++i, ++at) {
            auto child = std::make_unique<Node>();
            child->name = names[i];
            child->path = JoinPath(node->path, names[i]);
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
        return node->kind == Node::Kind::Drives ? node->name : node->path;
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
