#pragma once

// The tag editor without its window: the records of the listed files, which one is shown, and
// every operation that changes them or their files. The window reads its controls into the
// values these operations take and shows what they give back.

#include "main/massrules.h"
#include "main/tid3.h"
#include "platform/failure.h"
#include "platform/fileentry.h"
#include "rename/renameplan.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

enum class TagVersion { V1, V2 };

// The text fields a value can be saved into for every record.
enum class TagField { Title, Artist, Album, Genre, Comment };

// What the two edit sheets show of a record, or hold when it is saved: the texts of the edits,
// the values of the spin boxes and, for version 1, the item of the genre box.
struct TagSheets {
    struct Version1 {
        QString title, artist, album, comment;
        int track = 0;
        int year = 0;
        int genreItem = 0;
        bool operator==(const Version1 &) const = default;
    } v1;
    struct Version2 {
        QString title, artist, album, genre, comment;
        int track = 0;
        int year = 0;
        bool operator==(const Version2 &) const = default;
    } v2;
};

// What the user is told after CopyToAll passed over `count` files (at least 1).
QString WithoutSourceTagText(TagVersion from, int count);

class TagEditorCore {
public:
    // The records of the listed files in list order, and the position of the shown one; -1
    // exactly when there is none.
    const TagRecords &TagList() const { return records_; }
    const int &CurrentIndex() const { return current_; }
    TID3 *Current() const;

    // Building the list. ClearTagList leaves no record and none shown; AddTagFile appends a
    // record when a file (not a folder) exists at the path; BuildTagList makes the list anew
    // from the files among the selected entries of a folder.
    void ClearTagList();
    bool AddTagFile(const QString &path);
    bool AddTagFile(const QByteArray &path);
    void AddRecord(std::unique_ptr<TID3> record);
    // `folder` is the folder's path as the file system names it (ending in "/").
    void BuildTagList(const QByteArray &folder, const std::vector<SelectedEntry> &entries);

    // Makes record `position` the shown one and gives it; none (nullptr, CurrentIndex -1) when
    // the position lies outside the list.
    const TID3 *ShowRecord(int position);
    // What the sheets show of a record.
    static TagSheets SheetsOf(const TID3 &record);

    // Writes one tag of record `position` to its file; false when it fails or there is no
    // such record.
    bool SaveV1(int position);
    bool SaveV2(int position);

    // Both tags of the shown record from what the sheets hold, then written. A value the
    // sheets still show as they were given it keeps the record's own bytes: a year "19xx" or
    // none, a track above 99, a genre number without a name, a comment's line breaks. A
    // version the file lacks is written only when its boxes hold something. `shownComment`
    // is the version 2 comment as its box gave it back when the record was shown.
    Failures SaveCurrent(const TagSheets &entered, const QString &shownComment);

    // One field of every record, then that whole tag written to each file. A text goes
    // through the version's conversion (version 1 keeps at most 30 characters; a version 1
    // genre text gives its genre number, 254 for no name); the year is a year box's value,
    // the genre item one of the version 1 genre box; NumberTracks gives the records the
    // tracks 1, 2, 3… in list order.
    Failures SaveTextToAll(TagVersion version, TagField field, const QString &text, const Progress &progress = {});
    Failures SaveYearToAll(TagVersion version, int year, const Progress &progress = {});
    Failures SaveGenreItemToAll(int genreItem, const Progress &progress = {});
    Failures NumberTracks(TagVersion version, const Progress &progress = {});

    // The values of one version of the shown record into the other, in memory only; the genre
    // is the one the source sheet's box shows. False when no record is shown.
    bool CopyCurrentV1ToV2(const QString &shownGenre);
    bool CopyCurrentV2ToV1(const QString &shownGenre);

    // Mass assignment: one value into one field of one version of every record. A value
    // that is one of MassValueChoices() letter for letter is derived from each file's path;
    // any other is written as it stands.
    Failures AssignToAll(TagVersion version, MassField field, const QString &value, const Progress &progress = {});
    // Every value of one version into the other for every record, then written. A record
    // whose file lacks the source version is passed over and counted.
    struct CopyOutcome {
        Failures failed;
        int withoutSource = 0;
    };
    CopyOutcome CopyToAll(TagVersion from, const Progress &progress = {});

    // Removes the shown record's tag of that version. False, changing nothing, when no record
    // is shown or its tag was not found when the list was built; a removal that fails is in
    // `failed`.
    bool RemoveCurrent(TagVersion version, Failures &failed);
    // The same for every record whose tag was found.
    Failures RemoveFromAll(TagVersion version, const Progress &progress = {});

    // Renaming from tags: the new name of each record from the fields checked (in their
    // order) of one version, the plan that pairs them with the files inside `folder` (its
    // path as the file system names it), and the renames, kept by `record` when given, after
    // which the list is empty.
    QStringList RenameNames(TagVersion version, const QStringList &checkedFields, const QString &separator) const;
    std::vector<RenameStep> RenamePlan(const QStringList &names, const QByteArray &folder) const;
    Failures RenameFiles(const QStringList &names, const QByteArray &folder, const Progress &progress = {},
                         RenameRecord *record = nullptr);

private:
    // Every operation that writes the tags of many files goes through this one loop: `work`
    // (record, position) on each record in list order; `progress` can stop it before a record.
    Failures WorkOnRecords(const std::function<bool(TID3 &, int)> &work, const Progress &progress);
    // Gives every record a new value through `assign`, then writes that version's tag.
    Failures AssignAndWrite(TagVersion version, const std::function<void(TID3 &, int)> &assign,
                            const Progress &progress);

    TagRecords records_;
    int current_ = -1;
};
