#include "main/massrules.h"

#include "main/tagrenamerules.h"
#include "main/tagvalues.h"
#include "platform/paths.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

QStringList MassValueChoices()
{
    return {QStringLiteral("Nombre de fichero"), QStringLiteral("Número + Nombre de fichero"),
            QStringLiteral("Nombre de carpeta")};
}

QStringList MassFieldChoices()
{
    return {QStringLiteral("Título"), QStringLiteral("Artista"), QStringLiteral("Álbum"),
            QStringLiteral("Comentario")};
}

MassValue MassValueOf(const QString &text)
{
    const int choice = int(MassValueChoices().indexOf(text));
    return choice < 0 ? MassValue::Typed : MassValue(choice);
}

int NumberWidth(int count) { return count < 100 ? 2 : 3; }

QString MassValueFor(MassValue choice, const QString &typed, const QString &path, int position, int count)
{
    switch (choice) {
    case MassValue::FileName:
        return FileNameWithoutExtension(path);
    case MassValue::NumberedFileName:
        return ZeroPad(QString::number(position + 1), NumberWidth(count)) + u' ' + FileNameWithoutExtension(path);
    case MassValue::FolderName:
        return FolderNameOf(path);
    case MassValue::Typed:
        break;
    }
    return typed;
}

namespace {
template <typename Tag>
void SetField(Tag &tag, MassField field, std::string_view value)
{
    switch (field) {
    case MassField::Title: tag.SetTitle(value); break;
    case MassField::Artist: tag.SetArtist(value); break;
    case MassField::Album: tag.SetAlbum(value); break;
    case MassField::Comment: tag.SetComment(value); break;
    case MassField::None: break;
    }
}
} // namespace

void SetMassField(TID3v1 &tag, MassField field, std::string_view value) { SetField(tag, field, value); }
void SetMassField(TID3v2 &tag, MassField field, std::string_view value) { SetField(tag, field, value); }

std::string GenreTextOf(std::uint8_t genreIndex)
{
    static const QStringList items = GenreItems();
    const int item = GenreItemOfIndex(genreIndex);
    return item > 0 ? TagValueOf(items[item]) : std::string();
}

std::uint8_t GenreIndexOf(std::string_view genre)
{
    return GenreIndexOfItem(FindGenreItem(TagValueText(genre)));
}

namespace {
// Every value both versions hold alike, the genre aside.
template <typename From, typename To>
void CopyAllButGenre(const From &from, To &to)
{
    to.SetTitle(from.Title());
    to.SetArtist(from.Artist());
    to.SetAlbum(from.Album());
    to.SetTrack(from.Track());
    to.SetYear(from.Year());
    to.SetComment(from.Comment());
}
} // namespace

void CopyV1ToV2(const TID3v1 &from, TID3v2 &to) { CopyV1ToV2(from, to, GenreTextOf(from.GenreIndex())); }

void CopyV1ToV2(const TID3v1 &from, TID3v2 &to, std::string_view genre)
{
    CopyAllButGenre(from, to);
    to.SetGenre(genre);
}

void CopyV2ToV1(const TID3v2 &from, TID3v1 &to) { CopyV2ToV1(from, to, GenreIndexOf(from.Genre())); }

void CopyV2ToV1(const TID3v2 &from, TID3v1 &to, std::uint8_t genreIndex)
{
    CopyAllButGenre(from, to);
    to.SetGenreIndex(genreIndex);
}
