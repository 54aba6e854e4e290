#include "main/tageditorcore.h"

#include "main/tagrenamerules.h"
#include "main/tagvalues.h"
#include "platform/paths.h"
#include "tags/SaveGroup.h"
#include "tags/TagError.h"

#include <QElapsedTimer>

#include <sys/stat.h>

namespace {

bool &InFile(TID3 &record, TagVersion version)
{
    return version == TagVersion::V1 ? record.V1InFile : record.V2InFile;
}

bool WriteTag(TID3 &record, TagVersion version)
{
    const std::filesystem::path path = TagFilePath(record.NativeFilePath);
    const bool written = version == TagVersion::V1 ? record.V1.WriteTag(path) : record.V2.WriteTag(path);
    if (written)
        InFile(record, version) = true;
    return written;
}

std::string TextFor(TagVersion version, const QString &text)
{
    return version == TagVersion::V1 ? V1Text(text) : V2Text(text);
}

template <typename Tag>
void SetText(Tag &tag, TagField field, const std::string &value)
{
    switch (field) {
    case TagField::Title: tag.SetTitle(value); break;
    case TagField::Artist: tag.SetArtist(value); break;
    case TagField::Album: tag.SetAlbum(value); break;
    case TagField::Comment: tag.SetComment(value); break;
    case TagField::Genre:
        if constexpr (std::is_same_v<Tag, TID3v1>)
            tag.SetGenreIndex(GenreIndexOf(value));
        else
            tag.SetGenre(value);
        break;
    }
}

} // namespace

TID3 *TagEditorCore::Current() const
{
    return current_ < 0 ? nullptr : records_[std::size_t(current_)].get();
}

void TagEditorCore::ClearTagList()
{
    records_.clear();
    current_ = -1;
}

bool TagEditorCore::AddTagFile(const QString &path) { return AddTagFile(NativePath(path)); }

bool TagEditorCore::AddTagFile(const QByteArray &path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    records_.push_back(std::make_unique<TID3>(path));
    return true;
}

void TagEditorCore::AddRecord(std::unique_ptr<TID3> record) { records_.push_back(std::move(record)); }

void TagEditorCore::BuildTagList(const QByteArray &folder, const std::vector<SelectedEntry> &entries)
{
    ClearTagList();
    records_.reserve(entries.size());
    for (const SelectedEntry &entry : entries)
        if (entry.kind == FileEntry::Kind::File)
            AddTagFile(PathInFolder(folder, NativeName(entry)));
}

const TID3 *TagEditorCore::ShowRecord(int position)
{
    current_ = position >= 0 && position < int(records_.size()) ? position : -1;
    return Current();
}

TagSheets TagEditorCore::SheetsOf(const TID3 &record)
{
    TagSheets sheets;
    const TID3v1 &v1 = record.V1;
    sheets.v1.title = TagValueText(v1.Title());
    sheets.v1.artist = TagValueText(v1.Artist());
    sheets.v1.album = TagValueText(v1.Album());
    sheets.v1.comment = TagValueText(v1.Comment());
    sheets.v1.track = TrackToShow(v1.Track());
    sheets.v1.year = YearToShow(v1.Year());
    sheets.v1.genreItem = GenreItemOfIndex(v1.GenreIndex());
    const TID3v2 &v2 = record.V2;
    sheets.v2.title = TagValueText(v2.Title());
    sheets.v2.artist = TagValueText(v2.Artist());
    sheets.v2.album = TagValueText(v2.Album());
    sheets.v2.genre = TagValueText(v2.Genre());
    sheets.v2.comment = TagValueText(v2.Comment());
    sheets.v2.track = TrackToShow(v2.Track());
    sheets.v2.year = YearToShow(v2.Year());
    return sheets;
}

bool TagEditorCore::SaveV1(int position)
{
    if (position < 0 || position >= int(records_.size()))
        return false;
    return WriteTag(*records_[std::size_t(position)], TagVersion::V1);
}

bool TagEditorCore::SaveV2(int position)
{
    if (position < 0 || position >= int(records_.size()))
        return false;
    return WriteTag(*records_[std::size_t(position)], TagVersion::V2);
}

Failures TagEditorCore::SaveCurrent(const TagSheets &entered, const QString &shownComment)
{
    TID3 *record = Current();
    if (!record)
        return {};
    const QString name = FileNamePart(record->FilePath);
    Failures failed;
    const auto save = [&](TagVersion version) {
        cvtags::SetLastError({});
        if (!WriteTag(*record, version) && failed.isEmpty())
            failed.append({name, ReasonText(cvtags::LastError())});
    };
    TagSheets shown = SheetsOf(*record);
    shown.v2.comment = shownComment;
    // A version the file lacks is made only when its boxes hold something, typed by the user
    // or copied from the other version: a file without it shows them empty.
    const TagSheets empty;

    if (record->V1InFile || entered.v1 != empty.v1) {
        TID3v1 &v1 = record->V1;
        v1.SetTitle(V1TextToSave(entered.v1.title, shown.v1.title, v1.Title()));
        v1.SetArtist(V1TextToSave(entered.v1.artist, shown.v1.artist, v1.Artist()));
        v1.SetAlbum(V1TextToSave(entered.v1.album, shown.v1.album, v1.Album()));
        v1.SetTrack(TrackToSave(entered.v1.track, v1.Track()));
        v1.SetYear(YearToSave(entered.v1.year, v1.Year()));
        v1.SetGenreIndex(GenreIndexToSave(entered.v1.genreItem, v1.GenreIndex()));
        v1.SetComment(V1TextToSave(entered.v1.comment, shown.v1.comment, v1.Comment()));
        save(TagVersion::V1);
    }

    if (record->V2InFile || entered.v2 != empty.v2) {
        TID3v2 &v2 = record->V2;
        v2.SetTitle(V2TextToSave(entered.v2.title, shown.v2.title, v2.Title()));
        v2.SetArtist(V2TextToSave(entered.v2.artist, shown.v2.artist, v2.Artist()));
        v2.SetAlbum(V2TextToSave(entered.v2.album, shown.v2.album, v2.Album()));
        v2.SetTrack(TrackToSave(entered.v2.track, v2.Track()));
        v2.SetYear(YearToSave(entered.v2.year, v2.Year()));
        v2.SetGenre(V2TextToSave(entered.v2.genre, shown.v2.genre, v2.Genre()));
        v2.SetComment(V2TextToSave(entered.v2.comment, shownComment, v2.Comment()));
        save(TagVersion::V2);
    }
    return failed;
}

Failures TagEditorCore::SaveTextToAll(TagVersion version, TagField field, const QString &text,
                                      const Progress &progress)
{
    const std::string value = TextFor(version, text);
    return AssignAndWrite(
        version,
        [&](TID3 &record, int) {
            if (version == TagVersion::V1)
                SetText(record.V1, field, value);
            else
                SetText(record.V2, field, value);
        },
        progress);
}

Failures TagEditorCore::SaveYearToAll(TagVersion version, int year, const Progress &progress)
{
    const std::string value = YearText(year);
    return AssignAndWrite(
        version,
        [&](TID3 &record, int) {
            if (version == TagVersion::V1)
                record.V1.SetYear(value);
            else
                record.V2.SetYear(value);
        },
        progress);
}

Failures TagEditorCore::SaveGenreItemToAll(int genreItem, const Progress &progress)
{
    const std::uint8_t genre = GenreIndexOfItem(genreItem);
    return AssignAndWrite(TagVersion::V1, [&](TID3 &record, int) { record.V1.SetGenreIndex(genre); }, progress);
}

Failures TagEditorCore::NumberTracks(TagVersion version, const Progress &progress)
{
    return AssignAndWrite(
        version,
        [version](TID3 &record, int position) {
            const auto track = static_cast<std::uint8_t>(position + 1);
            if (version == TagVersion::V1)
                record.V1.SetTrack(track);
            else
                record.V2.SetTrack(track);
        },
        progress);
}

bool TagEditorCore::CopyCurrentV1ToV2(const QString &shownGenre)
{
    TID3 *record = Current();
    if (!record)
        return false;
    CopyV1ToV2(record->V1, record->V2, V2Text(shownGenre));
    return true;
}

bool TagEditorCore::CopyCurrentV2ToV1(const QString &shownGenre)
{
    TID3 *record = Current();
    if (!record)
        return false;
    CopyV2ToV1(record->V2, record->V1, GenreIndexOfItem(FindGenreItem(shownGenre)));
    return true;
}

Failures TagEditorCore::AssignToAll(TagVersion version, MassField field, const QString &value,
                                    const Progress &progress)
{
    const MassValue choice = MassValueOf(value);
    const int count = int(records_.size());
    return AssignAndWrite(
        version,
        [&](TID3 &record, int position) {
            const std::string text = TagValueOf(MassValueFor(choice, value, record.FilePath, position, count));
            if (version == TagVersion::V1)
                SetMassField(record.V1, field, text);
            else
                SetMassField(record.V2, field, text);
        },
        progress);
}

TagEditorCore::CopyOutcome TagEditorCore::CopyToAll(TagVersion from, const Progress &progress)
{
    CopyOutcome outcome;
    const TagVersion to = from == TagVersion::V1 ? TagVersion::V2 : TagVersion::V1;
    outcome.failed = WorkOnRecords(
        [&](TID3 &record, int) {
            // Empty values copied from a tag the file lacks would wipe the other version.
            if (!InFile(record, from)) {
                ++outcome.withoutSource;
                return true;
            }
            if (from == TagVersion::V1)
                CopyV1ToV2(record.V1, record.V2);
            else
                CopyV2ToV1(record.V2, record.V1);
            return WriteTag(record, to);
        },
        progress);
    return outcome;
}

QString WithoutSourceTagText(TagVersion from, int count)
{
    const QString source = from == TagVersion::V1 ? QStringLiteral("ID3v1") : QStringLiteral("ID3v2");
    const QString target = from == TagVersion::V1 ? QStringLiteral("ID3v2") : QStringLiteral("ID3v1");
    if (count == 1)
        return QStringLiteral("1 fichero no tiene tag %1; su tag %2 no se ha cambiado.").arg(source, target);
    return QStringLiteral("%1 ficheros no tienen tag %2; su tag %3 no se ha cambiado.")
        .arg(QString::number(count), source, target);
}

namespace {
// Records whose tag of that version was not found when the list was built are passed over.
bool RemoveTag(TID3 &record, TagVersion version)
{
    const std::filesystem::path path = TagFilePath(record.NativeFilePath);
    bool removed = true;
    if (version == TagVersion::V1) {
        if (!record.V1.Present())
            return true;
        record.V1.ClearFields();
        removed = record.V1.DeleteTag(path);
    } else {
        if (!record.V2.Present())
            return true;
        record.V2.ClearFields();
        removed = record.V2.DeleteTag(path);
    }
    if (removed)
        InFile(record, version) = false;
    return removed;
}
} // namespace

bool TagEditorCore::RemoveCurrent(TagVersion version, Failures &failed)
{
    TID3 *record = Current();
    if (!record || !(version == TagVersion::V1 ? record->V1.Present() : record->V2.Present()))
        return false;
    cvtags::SetLastError({});
    if (!RemoveTag(*record, version))
        failed.append({FileNamePart(record->FilePath), ReasonText(cvtags::LastError())});
    return true;
}

Failures TagEditorCore::RemoveFromAll(TagVersion version, const Progress &progress)
{
    return WorkOnRecords([version](TID3 &record, int) { return RemoveTag(record, version); }, progress);
}

QStringList TagEditorCore::RenameNames(TagVersion version, const QStringList &checkedFields,
                                       const QString &separator) const
{
    std::vector<RenameSource> sources;
    sources.reserve(records_.size());
    for (const auto &record : records_)
        sources.push_back(version == TagVersion::V2 ? RenameSourceOf(record->V2) : RenameSourceOf(record->V1));
    return RenameLines(sources, checkedFields, separator);
}

std::vector<RenameStep> TagEditorCore::RenamePlan(const QStringList &names, const QByteArray &folder) const
{
    QList<QByteArray> oldPaths;
    oldPaths.reserve(qsizetype(records_.size()));
    for (const auto &record : records_)
        oldPaths.append(record->NativeFilePath);
    return PlanTagRename(oldPaths, names, folder);
}

Failures TagEditorCore::RenameFiles(const QStringList &names, const QByteArray &folder, const Progress &progress,
                                    RenameRecord *record)
{
    const Failures failed = ApplyRenames(RenamePlan(names, folder), progress, record);
    ClearTagList();
    return failed;
}

Failures TagEditorCore::WorkOnRecords(const std::function<bool(TID3 &, int)> &work, const Progress &progress)
{
    // The writes of each step of the progress (about a tenth of a second) reach the disk as
    // one group commit; a file whose write is not on disk at the commit has failed.
    constexpr qint64 kStepMs = 100;
    std::vector<std::error_code> reasons(records_.size());
    std::vector<bool> failed(records_.size(), false);
    cvtags::SaveGroup group;
    std::size_t batchStart = 0, failuresSeen = 0;
    const auto commit = [&](std::size_t end) {
        group.Commit();
        const auto &failures = group.Failures();
        for (; failuresSeen < failures.size(); ++failuresSeen)
            for (std::size_t j = batchStart; j < end; ++j)
                if (!failed[j] && TagFilePath(records_[j]->NativeFilePath) == failures[failuresSeen].first) {
                    failed[j] = true;
                    reasons[j] = failures[failuresSeen].second;
                }
        batchStart = end;
    };
    QElapsedTimer step;
    step.start();
    std::size_t i = 0;
    for (; i < records_.size(); ++i) {
        if (step.elapsed() >= kStepMs) {
            commit(i);
            step.restart();
        }
        if (progress && !progress(int(i)))
            break;
        cvtags::SetLastError({});
        if (!work(*records_[i], int(i))) {
            failed[i] = true;
            reasons[i] = cvtags::LastError();
        }
    }
    commit(i);
    Failures list;
    for (std::size_t j = 0; j < records_.size(); ++j)
        if (failed[j]) {
            list.append({FileNamePart(records_[j]->FilePath), ReasonText(reasons[j])});
            // The record holds the values that never reached the file: show the file as it is.
            records_[j] = std::make_unique<TID3>(QByteArray(records_[j]->NativeFilePath));
        }
    return list;
}

Failures TagEditorCore::AssignAndWrite(TagVersion version, const std::function<void(TID3 &, int)> &assign,
                                       const Progress &progress)
{
    return WorkOnRecords(
        [&](TID3 &record, int position) {
            assign(record, position);
            return WriteTag(record, version);
        },
        progress);
}
