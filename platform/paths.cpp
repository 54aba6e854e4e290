#include "platform/paths.h"

#include <QFile>

QString FileNamePart(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString ExtensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

QString FileNameWithoutExtension(const QString &path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString FolderNameOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    QString folder = path.left(slash);
    while (folder.endsWith(u'/'))
        folder.chop(1);
    if (folder.isEmpty()) // only "/" stood before the name: the root folder
        return QStringLiteral("/");
    return FileNamePart(folder);
}

bool NameLeavesFolder(const QString &name)
{
    return name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(QChar(0));
}

QString PathInFolder(const QString &folder, const QString &name)
{
    if (!folder.startsWith(u'/') || NameLeavesFolder(name))
        return {};
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QByteArray NativePath(const QString &path) { return QFile::encodeName(path); }

QString PathFromNative(const QByteArray &bytes) { return QFile::decodeName(bytes); }

std::filesystem::path TagFilePath(const QString &path) { return std::filesystem::path(NativePath(path).toStdString()); }
