#include "widgets/filelistmodel.h"

#include "platform/paths.h"
#include "widgets/volumes.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStyle>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file-name pattern of the list, compiled once per reading rather than once per file.
class NameMask {
public:
    explicit NameMask(const QString &mask)
    {
        for (const QString &part : mask.split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = part.trimmed();
            if (pattern.isEmpty())
                continue;
            if (pattern == u"*" || pattern == u"*.*") {
                all_ = true;
                return;
            }
            const QString rest = pattern.mid(2);
            if (pattern.startsWith(u"*.") && !rest.contains(u'*') && !rest.contains(u'?')) {
                suffixes_.append(pattern.mid(1));       // ".mp3"
                continue;
            }
            QString expression;
            for (QChar c : pattern) {
                if (c == u'*')
                    expression += QStringLiteral(".*");
                else if (c == u'?')
                    expression += u'.';
                else
                    expression += QRegularExpression::escape(QString(c));
            }
            patterns_.append(QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                                QRegularExpression::CaseInsensitiveOption
                                                    | QRegularExpression::DotMatchesEverythingOption));
        }
        if (suffixes_.isEmpty() && patterns_.isEmpty())
            all_ = true;
    }

    bool Matches(const QString &name) const
    {
        if (all_)
            return true;
        for (const QString &suffix : suffixes_)
            if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        for (const QRegularExpression &pattern : patterns_)
            if (pattern.match(name).hasMatch())
                return true;
        return false;
    }

private:
    bool all_ = false;
    QStringList suffixes_;
    QList<QRegularExpression> patterns_;
};

QString ExtensionLower(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

struct SortItem {
    QString key;
    std::size_t index;
};

// Case-insensitive order by name; names that differ in letter case only keep a fixed order.
void SortByName(std::vector<FileEntry> &entries)
{
    std::vector<SortItem> items;
    items.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        items.push_back({entries[i].name.toCaseFolded(), i});
    std::sort(items.begin(), items.end(), [&entries](const SortItem &a, const SortItem &b) {
        const int c = a.key.compare(b.key);
        if (c != 0)
            return c < 0;
        const FileEntry &first = entries[a.index];
        const FileEntry &second = entries[b.index];
        return first.name != second.name ? first.name < second.name : first.native < second.native;
    });
    std::vector<FileEntry> sorted;
    sorted.reserve(entries.size());
    for (const SortItem &item : items)
        sorted.push_back(std::move(entries[item.index]));
    entries = std::move(sorted);
}

QString ThemeIconForExtension(const QString &extension)
{
    using namespace Qt::StringLiterals;
    static const QHash<QString, QString> names = {
        {u"mp3"_s, u"audio-x-generic"_s}, {u"wav"_s, u"audio-x-generic"_s}, {u"ogg"_s, u"audio-x-generic"_s},
        {u"flac"_s, u"audio-x-generic"_s}, {u"wma"_s, u"audio-x-generic"_s}, {u"m4a"_s, u"audio-x-generic"_s},
        {u"jpg"_s, u"image-x-generic"_s}, {u"jpeg"_s, u"image-x-generic"_s}, {u"png"_s, u"image-x-generic"_s},
        {u"bmp"_s, u"image-x-generic"_s}, {u"gif"_s, u"image-x-generic"_s}, {u"svg"_s, u"image-x-generic"_s},
        {u"avi"_s, u"video-x-generic"_s}, {u"mp4"_s, u"video-x-generic"_s}, {u"mkv"_s, u"video-x-generic"_s},
        {u"txt"_s, u"text-x-generic"_s}, {u"ini"_s, u"text-x-generic"_s}, {u"log"_s, u"text-x-generic"_s},
        {u"htm"_s, u"text-html"_s}, {u"html"_s, u"text-html"_s}, {u"pdf"_s, u"application-pdf"_s},
        {u"zip"_s, u"package-x-generic"_s}, {u"gz"_s, u"package-x-generic"_s}, {u"tar"_s, u"package-x-generic"_s},
        {u"7z"_s, u"package-x-generic"_s}, {u"rar"_s, u"package-x-generic"_s}, {u"sh"_s, u"text-x-script"_s},
        {u"exe"_s, u"application-x-executable"_s},
    };
    return names.value(extension);
}

} // namespace

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent) {}

void FileListModel::Replace(std::vector<FileEntry> entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void FileListModel::LoadDrives()
{
    std::vector<FileEntry> drives;
    for (const Volume &volume : MountedVolumes()) {
        FileEntry entry;
        entry.name = volume.rootPath;
        entry.native = NativePath(volume.rootPath);
        entry.kind = FileEntry::Kind::Drive;
        entry.readOnly = volume.readOnly;
        entry.size = volume.bytesTotal;
        drives.push_back(std::move(entry));
    }
    Replace(std::move(drives));
}

void FileListModel::LoadFolder(const QByteArray &folder, const QString &mask)
{
    std::vector<FileEntry> folders;
    std::vector<FileEntry> files;
    const NameMask nameMask(mask);

    // One pass over the folder: names from readdir, details from fstatat on the same handle.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = dirFd >= 0 ? ::fdopendir(dirFd) : nullptr;
    if (dirFd >= 0 && !dir)
        ::close(dirFd);
    if (dir) {
        while (const dirent *item = ::readdir(dir)) {
            const char *raw = item->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            struct stat info {};
            bool link = false;
            if (::fstatat(dirFd, raw, &info, 0) != 0) {
                // A dangling link is still an entry of the folder; a vanished entry is not.
                if (::fstatat(dirFd, raw, &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                link = true;
            } else if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
                struct stat own {};
                link = ::fstatat(dirFd, raw, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
            }
            FileEntry entry;
            entry.native = QByteArray(raw);
            entry.name = PathFromNative(entry.native);
            entry.hidden = raw[0] == '.';
            entry.readOnly = (info.st_mode & S_IWUSR) == 0;
            entry.link = link;
            entry.modified = info.st_mtim.tv_sec;
            if (S_ISDIR(info.st_mode)) {
                entry.kind = FileEntry::Kind::Folder;
                folders.push_back(std::move(entry));
            } else if (nameMask.Matches(entry.name)) {
                entry.kind = FileEntry::Kind::File;
                entry.size = info.st_size;
                files.push_back(std::move(entry));
            }
        }
        ::closedir(dir);
    }

    SortByName(folders);
    SortByName(files);

    std::vector<FileEntry> entries;
    entries.reserve(1 + folders.size() + files.size());
    FileEntry parentEntry;
    parentEntry.name = FileEntry::ParentCaption;
    parentEntry.kind = FileEntry::Kind::Parent;
    entries.push_back(std::move(parentEntry));
    std::move(folders.begin(), folders.end(), std::back_inserter(entries));
    std::move(files.begin(), files.end(), std::back_inserter(entries));
    Replace(std::move(entries));
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FileListModel::TypeText(const FileEntry &entry) const
{
    switch (entry.kind) {
    case FileEntry::Kind::Parent:
        return {};
    case FileEntry::Kind::Drive:
        return QStringLiteral("Unidad");
    case FileEntry::Kind::Folder:
        return QStringLiteral("Carpeta de archivos");
    case FileEntry::Kind::File:
        break;
    }
    const qsizetype dot = entry.name.lastIndexOf(u'.');
    if (dot < 0 || dot == entry.name.size() - 1)
        return QStringLiteral("Archivo");
    return QStringLiteral("Archivo ") + entry.name.mid(dot + 1).toUpper();
}

QIcon FileListModel::IconFor(const FileEntry &entry) const
{
    QString key;
    switch (entry.kind) {
    case FileEntry::Kind::Parent: key = QStringLiteral(":parent"); break;
    case FileEntry::Kind::Drive: key = QStringLiteral(":drive"); break;
    case FileEntry::Kind::Folder: key = QStringLiteral(":folder"); break;
    case FileEntry::Kind::File: key = ExtensionLower(entry.name); break;
    }
    const auto found = iconCache_.constFind(key);
    if (found != iconCache_.constEnd())
        return *found;

    QStyle *style = QApplication::style();
    QIcon icon;
    switch (entry.kind) {
    case FileEntry::Kind::Parent:
        icon = QIcon::fromTheme(QStringLiteral("go-up"), style->standardIcon(QStyle::SP_FileDialogToParent));
        break;
    case FileEntry::Kind::Drive:
        icon = QIcon::fromTheme(QStringLiteral("drive-harddisk"), style->standardIcon(QStyle::SP_DriveHDIcon));
        break;
    case FileEntry::Kind::Folder:
        icon = QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
        break;
    case FileEntry::Kind::File: {
        const QIcon fallback = QIcon::fromTheme(QStringLiteral("text-x-generic"),
                                                style->standardIcon(QStyle::SP_FileIcon));
        const QString themeName = ThemeIconForExtension(key);
        icon = themeName.isEmpty() ? fallback : QIcon::fromTheme(themeName, fallback);
        break;
    }
    }
    iconCache_.insert(key, icon);
    return icon;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FileEntry &entry = Entry(index.row());
    if (role == Qt::DecorationRole)
        return index.column() == NameColumn ? QVariant(IconFor(entry)) : QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};

    switch (index.column()) {
    case NameColumn:
        return entry.name;
    case SizeColumn:
        if (entry.kind == FileEntry::Kind::File)
            return QLocale().toString((entry.size + 1023) / 1024) + QStringLiteral(" KB");
        if (entry.kind == FileEntry::Kind::Drive && entry.size >= 0)
            return QLocale().formattedDataSize(entry.size, 1, QLocale::DataSizeTraditionalFormat);
        return {};
    case TypeColumn:
        return TypeText(entry);
    case ModifiedColumn:
        if (entry.kind != FileEntry::Kind::File && entry.kind != FileEntry::Kind::Folder)
            return {};
        return QLocale().toString(QDateTime::fromSecsSinceEpoch(entry.modified), QLocale::ShortFormat);
    case AttributesColumn: {
        if (entry.kind == FileEntry::Kind::Parent)
            return {};
        QString flags;
        if (entry.readOnly)
            flags += u'R';
        if (entry.hidden)
            flags += u'H';
        if (entry.link)
            flags += u'L';
        return flags;
    }
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant(section == SizeColumn ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Nombre");
    case SizeColumn: return QStringLiteral("Tamaño");
    case TypeColumn: return QStringLiteral("Tipo");
    case ModifiedColumn: return QStringLiteral("Modificado");
    case AttributesColumn: return QStringLiteral("Attributos");
    default: return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    // Browsing never changes the disk: no editing, no dragging.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}
