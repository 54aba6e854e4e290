#pragma once

// The per-user journal: durable records of operations in progress, so that the next start of
// the program can finish or undo what a crash interrupted. It lives in the user's own state
// folder ($XDG_STATE_HOME, else ~/.local/state, then "CarventoUtilities"), created with mode
// 0700; a folder or record that is not the user's own, or that others may write, is refused.
// Nothing of it is ever written beside the user's files.
//
// A record is one file of that folder: a header (kind, time stamp, a random nonce) followed by
// chunks, each with its length and a checksum seeded by the nonce, so that a torn write, or
// the leftovers of an earlier content of a reused record, never parse as valid. Reading is
// bounded and stops at the first chunk that is torn or damaged.
//
// Records are locked (flock) by the process that writes them for as long as they are live:
// another instance of the program claims a record only when no one holds it, so two running
// instances never act on each other's live records, and a record of a process that died is
// free as soon as it is gone.
//
//     auto *journal = cvtags::Journal::User();            // null when it cannot be used
//     auto record = journal->Create("rename");              // locked by this process
//     record->Write(kMyKind, plan, true);                   // on disk before the first step
//     record->Append(stepDone, true);                       // each step as it is done
//     record->Remove(true);                                 // or keep it (undo)
//     // at the next start:
//     for (const std::string &name : journal->List("rename-"))
//         if (auto claimed = journal->Claim(name)) { std::vector<std::string> chunks; claimed->Read(chunks); … }
//
// Every call reports failure as false or null with the reason in cvtags::LastError(); none throws.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace cvtags {

class JournalRecord;

class Journal {
public:
    // Records and chunks larger than this are not read.
    static constexpr std::uint64_t kMaxRecordBytes = 64u << 20;

    // $XDG_STATE_HOME/CarventoUtilities (an absolute $XDG_STATE_HOME only), else
    // ~/.local/state/CarventoUtilities. Not created.
    static std::filesystem::path UserFolder();
    // The journal of this process's user, opened (and created) on first use; null when it
    // cannot be used. After a failure, the next call tries again.
    static Journal *User();

    // Opens `folder`, creating it and its missing parents with mode 0700; refuses a folder
    // (or a link in its place) that is not the user's own or that others may write.
    static std::unique_ptr<Journal> Open(const std::filesystem::path &folder);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    const std::filesystem::path &Folder() const { return folder_; }
    int FolderFd() const { return folderFd_; }

    // A new, empty record named "<prefix>-<random>", locked by this process.
    std::unique_ptr<JournalRecord> Create(std::string_view prefix);
    // The names of the records starting with `prefix` (all when empty), in no particular order.
    std::vector<std::string> List(std::string_view prefix = {}) const;
    // Opens an existing record and takes its lock without waiting. Null when another running
    // process holds it (EWOULDBLOCK), when it is gone, or when it is not the user's own
    // regular file or others may write it (NotRegularFile, EPERM).
    std::unique_ptr<JournalRecord> Claim(std::string_view name);
    // Makes the names created and removed so far durable.
    bool Sync();
    // Something that changes whenever a record is created or removed (the folder's times).
    std::uint64_t ChangeMark() const;

private:
    Journal(std::filesystem::path folder, int fd) : folder_(std::move(folder)), folderFd_(fd) {}
    std::filesystem::path folder_;
    int folderFd_ = -1;
};

class JournalRecord {
public:
    ~JournalRecord();                // releases the lock; the record stays as it is
    JournalRecord(const JournalRecord &) = delete;
    JournalRecord &operator=(const JournalRecord &) = delete;

    const std::string &Name() const { return name_; }
    int Fd() const { return fd_; }
    // Kind and stamp as last written or read; 0 when the record is empty.
    std::uint32_t Kind() const { return kind_; }
    std::uint64_t Stamp() const { return stamp_; }

    // Replaces the whole content with a header of `kind` (a new stamp and nonce) and one
    // chunk gathered from `pieces`. With `durable`, it is on disk when this returns.
    bool Write(std::uint32_t kind, const std::vector<std::string_view> &pieces, bool durable);
    bool Write(std::uint32_t kind, std::string_view chunk, bool durable)
    {
        return Write(kind, std::vector<std::string_view>{chunk}, durable);
    }
    // Adds a chunk after the last one written.
    bool Append(std::string_view chunk, bool durable);
    // Reads the header and the valid chunks, in order; false for an empty, torn or foreign
    // header. At most `maxBytes` are read.
    bool Read(std::vector<std::string> &chunks, std::uint64_t maxBytes = Journal::kMaxRecordBytes);
    // The record no longer counts; its file stays, to be written again.
    bool Clear(bool durable);
    // Removes the record's file (with `durable`, the removal is on disk when this returns).
    bool Remove(bool durable);
    // True when the record's file was removed meanwhile by someone else.
    bool Orphaned() const;

private:
    friend class Journal;
    JournalRecord(Journal &journal, std::string name, int fd) : journal_(journal), name_(std::move(name)), fd_(fd) {}
    Journal &journal_;
    std::string name_;
    int fd_ = -1;
    std::uint32_t kind_ = 0;
    std::uint64_t stamp_ = 0, nonce_ = 0, end_ = 0;
    std::uint32_t chunks_ = 0;
};

// A 64-bit digest (not cryptographic): record checksums and the identity of file regions.
std::uint64_t Digest64(std::string_view bytes, std::uint64_t seed = 0);
// The same over data given in parts: Update in order, then Value().
class Digester {
public:
    explicit Digester(std::uint64_t seed = 0) : state_(seed ^ 0x9E3779B97F4A7C15ULL) {}
    void Update(std::string_view bytes);
    std::uint64_t Value() const;

private:
    std::uint64_t state_, length_ = 0;
    unsigned char pending_[8] = {};
    unsigned pendingSize_ = 0;
};

// Bytes of journal records: little-endian numbers and length-prefixed strings, read with
// bounds checks.
void PutU64(std::string &out, std::uint64_t value);
void PutBytes(std::string &out, std::string_view bytes);
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
    bool U64(std::uint64_t &value);
    bool Bytes(std::string_view &value, std::uint64_t maxSize = Journal::kMaxRecordBytes);
    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

} // namespace cvtags
