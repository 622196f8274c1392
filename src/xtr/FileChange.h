#pragma once
// The one way Quillon changes files of the catalogue: every command, and start-up's tidying, writes, moves,
// replaces and removes files through here, and nothing else calls the file system's move, delete or bin on an
// XTR file or a temporary of Quillon's.
//
// A change is all or nothing. A new version is written (or copied) whole and flushed under a temporary name
// and takes its place in one step that never replaces a file; the entry's own earlier version there is set
// aside just before, and compared with what the command read. Someone else's file that the change replaces
// goes into the Recycle Bin under its own name, so that Restore gives it back; a second name (a hard link
// where the file system has them, else a copy) holds it until the change is done, marked once the bin has it,
// so that a later step that fails costs nothing. A file the user agreed to delete for good is only set aside
// (renamed beside itself) and deleted once the change has otherwise succeeded. Every file that goes, to the
// bin or aside, is the version the command last looked at: another one (someone else's newer version) is put
// back and the change fails so, for the command to ask again. A step that fails puts back everything moved
// before it, and the failure says whether the bin kept a copy. No step needs hard links.
#include "rules/XtrNames.h"
#include "system/Win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What becomes of someone else's file that a change replaces or removes.
enum class Fate { IntoTheBin, ForGood };

// A file as a command last looked at it (all zero when there was none): a file replaced or rewritten since,
// even to the same size and time, is not the one the user was asked about.
struct FileStamp {
    std::wstring path;
    unsigned long attributes = 0;
    unsigned long long lastWrite = 0;
    unsigned long long size = 0;
    std::uint64_t bytes = 0; // ContentHash of the whole file; 0 when it cannot be read
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::wstring& path);

// What the user agreed to for someone else's files that a change replaces: their fate; the files the command
// looked at, as it last saw them, which are the versions that may go (a different one found going, or coming
// where the command saw none, fails the change with Err::ChangedMeanwhile, to be asked about again); and the
// files of the entry's name in the way (in either folder) that go with the change.
struct Replacing {
    Fate fate = Fate::IntoTheBin;
    std::vector<FileStamp> asked;
    std::vector<std::wstring> others;
    bool operator==(const Replacing&) const = default;
};

// Owns a temporary file: deletes it unless a change put it in place (release(), the path no longer owned).
void DeleteTemporary(std::wstring path);
inline std::wstring NoTemporary() { return {}; }
using TemporaryFile = UniqueHandle<HandleTraits<std::wstring, DeleteTemporary, NoTemporary>>;

// A new, empty temporary beside target, made for target's name, open in file to be written.
TemporaryFile NewTemporary(const std::wstring& target, UniqueFile& file, Held held = Held::NewVersion);

// A copy of source, byte for byte, in a temporary beside target made for
// target's name, complete and flushed (a failed copy leaves nothing).
TemporaryFile CopyToTemporary(const std::wstring& source, const std::wstring& target,
                              Held held = Held::NewVersion);

// One change of files, made by Commit(); one that was not committed changed nothing.
class FileChange {
  public:
    // Someone else's files go as replacing says; its others go with the change.
    explicit FileChange(const Replacing& replacing = {});

    // The finished temporary takes target's place. own: the bytes of the entry's own earlier version there,
    // as the command read them, which it replaces (another version there is someone else's).
    void Put(TemporaryFile temporary, std::wstring target, std::optional<std::string_view> own = {});
    // The entry's own file at source takes the name target, its bytes
    // unchanged; across volumes as a copy, the source going once it is in place.
    void Move(std::wstring source, std::wstring target);
    // Someone else's file at path, when one stands there, which the user agreed to replace or delete: it goes
    // as the fate says (once, however often it is named). readOnlyToo: the user asked for this very file to
    // go.
    void Replace(const std::wstring& path, bool readOnlyToo = false);
    // The entry's own earlier file, whose content (bytes, as the command read
    // them) the new one carries on: it goes once the new one is in place.
    void Drop(std::wstring path, std::string_view bytes);

    // Makes the change, or raises the failing step's error having put back what it had moved:
    // Err::NoRecycleBin when the bin cannot take a file. BinKeptCopy() then says whether the bin holds a copy
    // of a file that was put back.
    void Commit();
    bool BinKeptCopy() const { return binKeptCopy_; }

  private:
    struct Going {
        std::wstring path;
        bool theirs, readOnlyToo;
        std::optional<FileStamp> expected; // the version that may go, when the command looked
    };
    struct Moved {
        std::wstring from, to; // to put back: `from` goes back to `to`
        bool binned;           // `from` is a second name of a file in the bin
    };
    void Undo() noexcept;
    std::wstring SetAside(const std::wstring& path);
    void Bin(const Going& going);

    Fate fate_;
    std::vector<FileStamp> asked_;
    TemporaryFile temporary_;
    std::wstring source_, target_;
    std::optional<FileStamp> own_;
    std::vector<Going> going_;
    std::vector<Moved> moved_;       // what Undo puts back, in order
    std::vector<std::wstring> done_; // set-aside files and second names, deleted once committed
    bool binKeptCopy_ = false;
};

// A named step of a file operation ("written": a temporary is complete; "held": a replaced file has its
// second name; "binned": it is in the bin; "renamed": a file took its new name; "between": a letter-case
// rename is half done), told to the seam that the kill loops' and the hostile disks' driver fills (it ends
// the process there, as a crash would, or plays another program). Nothing happens otherwise.
void StepReached(std::wstring_view step);

// The main step of a change, the rename that never replaces, which a test may make fail: false, the thread's
// last error saying why, when it did not.
bool MainStep(const std::wstring& from, const std::wstring& to);

// The bin (RecycleFile), or a test's stand-in for a drive without one.
std::optional<std::wstring> ToBin(const std::wstring& path);
