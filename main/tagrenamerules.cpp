#include "main/tagrenamerules.h"

#include "main/tagvalues.h"
#include "platform/paths.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

QString ZeroPad(const QString &text, int width)
{
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u'0') + text;
}

QStringList RenameFields() { return {RenameFieldTrack, RenameFieldTitle, RenameFieldArtist, RenameFieldAlbum}; }

RenameSource RenameSourceOf(const TID3v1 &tag) { return {tag.Track(), &tag.Title(), &tag.Artist(), &tag.Album()}; }
RenameSource RenameSourceOf(const TID3v2 &tag) { return {tag.Track(), &tag.Title(), &tag.Artist(), &tag.Album()}; }

namespace {
enum class Part { Track, Title, Artist, Album, Unknown };

Part PartOf(const QString &field)
{
    if (field == RenameFieldTrack)
        return Part::Track;
    if (field == RenameFieldTitle)
        return Part::Title;
    if (field == RenameFieldArtist)
        return Part::Artist;
    if (field == RenameFieldAlbum)
        return Part::Album;
    return Part::Unknown;
}

QString Text(const std::string *bytes) { return bytes ? TagValueText(*bytes) : QString(); }

QString LineFromParts(const RenameSource &source, const std::vector<Part> &parts, const QString &separator,
                      int position)
{
    QString name;
    bool first = true;
    for (Part part : parts) {
        QString text;
        switch (part) {
        case Part::Track: text = ZeroPad(QString::number(source.track), 2); break;
        case Part::Title: text = Text(source.title); break;
        case Part::Artist: text = Text(source.artist); break;
        case Part::Album: text = Text(source.album); break;
        case Part::Unknown: continue;
        }
        if (first) {
            name = text;
            first = false;
        } else {
            name += separator;
            name += text;
        }
    }
    if (name.isEmpty())
        name = ZeroPad(QString::number(position + 1), 2) + separator + QStringLiteral(" Indefinido");
    return name + QStringLiteral(".mp3");
}

std::vector<Part> PartsOf(const QStringList &checkedFields)
{
    std::vector<Part> parts;
    parts.reserve(std::size_t(checkedFields.size()));
    for (const QString &field : checkedFields)
        parts.push_back(PartOf(field));
    return parts;
}
} // namespace

QString RenameLine(const RenameSource &source, const QStringList &checkedFields, const QString &separator,
                   int position)
{
    return LineFromParts(source, PartsOf(checkedFields), separator, position);
}

QStringList RenameLines(const std::vector<RenameSource> &sources, const QStringList &checkedFields,
                        const QString &separator)
{
    const std::vector<Part> parts = PartsOf(checkedFields);
    QStringList lines;
    lines.reserve(qsizetype(sources.size()));
    for (std::size_t i = 0; i < sources.size(); ++i)
        lines.append(LineFromParts(sources[i], parts, separator, int(i)));
    return lines;
}

QString RenamePreviewText(const QStringList &names) { return VisibleNameLines(names); }

std::vector<RenameStep> PlanTagRename(const QList<QByteArray> &oldPaths, const QStringList &names,
                                      const QByteArray &folder)
{
    std::vector<RenameStep> plan;
    plan.reserve(std::size_t(oldPaths.size()));
    for (qsizetype i = 0; i < oldPaths.size(); ++i) {
        const QByteArray &oldPath = oldPaths[i];
        const SelectedEntry file{FileEntry::Kind::File, PathFromNative(NativeFileName(oldPath)),
                                 NativeFileName(oldPath)};
        RenameStep step = RenameInFolder(folder, file, names.value(i), NameSource::FromTags);
        if (!step.oldPath.isEmpty())
            step.oldPath = oldPath; // the file stays where it is until it moves into the folder
        plan.push_back(std::move(step));
    }
    return plan;
}
