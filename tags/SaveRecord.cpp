#include "tags/SaveRecord.h"

#include "tags/FileOps.h"

#include <algorithm>

namespace cvtags {

std::optional<Entry> ParseEntry(std::string_view bytes)
{
    RecordReader r(bytes);
    Entry e;
    if (!r.U64(e.type))
        return std::nullopt;
    bool ok = false;
    switch (e.type) {
    case PatchEntry:
        ok = r.Bytes(e.path, 1 << 16) && r.U64(e.ino) && r.U64(e.fsType) && r.U64(e.oldSize) && r.U64(e.newSize)
             && r.U64(e.offset) && r.Bytes(e.oldBytes) && r.Bytes(e.newBytes) && r.U64(e.contextBegin)
             && r.U64(e.contextEnd) && r.U64(e.digest)
             // Bounded: the region lies within both sizes, the context around it.
             && e.offset <= e.oldSize && e.oldBytes.size() <= e.oldSize - e.offset && e.offset <= e.newSize
             && e.newBytes.size() <= e.newSize - e.offset && e.contextBegin <= e.offset && e.contextEnd >= e.offset
             && e.contextEnd - e.contextBegin <= Journal::kMaxRecordBytes;
        break;
    case ReplaceEntry:
        ok = r.Bytes(e.path, 1 << 16) && r.Bytes(e.name, 4096) && r.Bytes(e.temp, 4096) && r.U64(e.tempIno)
             && r.U64(e.ino) && !e.name.empty() && !e.temp.empty() && e.temp.find('/') == std::string_view::npos
             && e.name.find('/') == std::string_view::npos && e.temp != "." && e.temp != "..";
        break;
    case ShiftEntry: {
        std::uint64_t count = 0, headSize = 0;
        ok = r.Bytes(e.path, 1 << 16) && r.U64(e.ino) && r.U64(e.fsType) && r.U64(e.oldSize) && r.U64(e.newSize)
             && r.Bytes(e.temp, 4096) && r.U64(e.tail) && r.U64(count) && count <= (1u << 20) && e.tail <= e.oldSize;
        for (std::uint64_t i = 0; ok && i < count; ++i) {
            Entry::Piece piece;
            std::uint64_t isRange = 0;
            ok = r.U64(isRange) && (isRange ? r.U64(piece.offset) && r.U64(piece.size) && piece.offset <= e.oldSize
                                                  && piece.size <= e.oldSize - piece.offset
                                            : r.Bytes(piece.bytes));
            headSize += isRange ? piece.size : piece.bytes.size();
            e.pieces.push_back(piece);
        }
        ok = ok && e.newSize == headSize + (e.oldSize - e.tail);
        break;
    }
    default:
        break;
    }
    if (!ok || !r.AtEnd() || e.path.empty() || e.path[0] != '/' || e.path.find('\0') != std::string_view::npos)
        return std::nullopt;
    return e;
}

std::string PatchEntryBytes(const std::string &path, const struct stat &st, std::uint64_t fsType,
                            std::uint64_t offset, std::string_view oldBytes, std::string_view newBytes,
                            std::uint64_t newSize, std::uint64_t contextBegin, std::uint64_t contextEnd,
                            std::uint64_t digest)
{
    std::string e;
    PutU64(e, PatchEntry);
    PutBytes(e, path);
    PutU64(e, static_cast<std::uint64_t>(st.st_ino));
    PutU64(e, fsType);
    PutU64(e, static_cast<std::uint64_t>(st.st_size));
    PutU64(e, newSize);
    PutU64(e, offset);
    PutBytes(e, oldBytes);
    PutBytes(e, newBytes);
    PutU64(e, contextBegin);
    PutU64(e, contextEnd);
    PutU64(e, digest);
    return e;
}

std::string ReplaceEntryBytes(const std::string &folder, const std::string &name, const std::string &temp,
                              std::uint64_t tempIno, std::uint64_t ino)
{
    std::string e;
    PutU64(e, ReplaceEntry);
    PutBytes(e, folder);
    PutBytes(e, name);
    PutBytes(e, temp);
    PutU64(e, tempIno);
    PutU64(e, ino);
    return e;
}

std::string ShiftEntryBytes(const std::string &path, const struct stat &st, std::uint64_t fsType, std::uint64_t newSize,
                            std::string_view backup, std::uint64_t tailOffset, const std::vector<TagFile::Piece> &head)
{
    std::string e;
    PutU64(e, ShiftEntry);
    PutBytes(e, path);
    PutU64(e, static_cast<std::uint64_t>(st.st_ino));
    PutU64(e, fsType);
    PutU64(e, static_cast<std::uint64_t>(st.st_size));
    PutU64(e, newSize);
    PutBytes(e, backup);
    PutU64(e, tailOffset);
    PutU64(e, head.size());
    for (const TagFile::Piece &piece : head) {
        PutU64(e, piece.bytes.empty() ? 1 : 0);
        if (piece.bytes.empty()) {
            PutU64(e, piece.offset);
            PutU64(e, piece.size);
        } else {
            PutBytes(e, piece.bytes);
        }
    }
    return e;
}

bool WriteRecord(JournalRecord &record, const std::vector<std::string_view> &entries)
{
    std::string head;
    PutU64(head, entries.size());
    std::vector<std::string> lengths(entries.size());
    std::vector<std::string_view> pieces{head};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        PutU64(lengths[i], entries[i].size());
        pieces.push_back(lengths[i]);
        pieces.push_back(entries[i]);
    }
    return record.Write(kTagSaveKind, pieces, true);
}

std::vector<std::string_view> RecordEntries(std::string_view chunk, std::uint64_t &count)
{
    RecordReader reader(chunk);
    std::vector<std::string_view> entries;
    std::string_view bytes;
    count = 0;
    if (reader.U64(count))
        for (std::uint64_t i = 0; i < count && reader.Bytes(bytes); ++i)
            entries.push_back(bytes);
    return entries;
}

std::size_t CountSaveEntries(std::string_view chunk)
{
    std::uint64_t count = 0;
    std::size_t parsed = 0;
    for (std::string_view bytes : RecordEntries(chunk, count))
        parsed += ParseEntry(bytes) ? 1 : 0;
    return parsed;
}

bool ReadSegments(const std::vector<Segment> &segments, std::uint64_t offset, std::size_t size, std::string &out)
{
    out.clear();
    std::uint64_t at = 0;
    std::string part;
    for (const Segment &s : segments) {
        const std::uint64_t n = s.Size();
        if (offset < at + n && out.size() < size) {
            const std::uint64_t from = std::max(offset, at) - at;
            const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n - from, size - out.size()));
            if (s.fd < 0) {
                out.append(s.bytes.substr(static_cast<std::size_t>(from), take));
            } else {
                if (!ReadUpTo(s.fd, s.offset + from, take, part) || part.size() != take)
                    return false;
                out += part;
            }
            offset = at + n;
        }
        at += n;
    }
    return true;
}

bool WriteSegments(const std::vector<Segment> &segments, int fd)
{
    std::uint64_t at = 0;
    for (const Segment &s : segments) {
        if (s.fd < 0 ? !WriteAt(fd, at, s.bytes) : !CopyRange(s.fd, s.offset, static_cast<std::int64_t>(s.size), fd, at))
            return false;
        at += s.Size();
    }
    return true;
}

} // namespace cvtags
