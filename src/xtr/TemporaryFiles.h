#pragma once
// Temporary files beside the XTR files: a file is written or copied under a
// temporary name and put in place in one step only once it is complete and
// flushed, so that neither UI-View32 nor a crash ever sees half an XTR file.
// A file replaced after the user's Yes goes into the Recycle Bin first, and
// is put back should the step after it fail.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Makes a temporary file in folder through make(path), which creates the file
// at path and returns false, with the thread's last error set, when it could
// not. A name that is taken already (a second Quillon, a leftover) is given up
// for a fresh one. The name carries onTheWayTo, the name of the file it is
// made for, and whether it holds a copy of a file that stays where it is
// (copy). Returns the path made; raises the error of any other failure.
std::wstring MakeTemporary(const std::wstring& folder,
                           const std::function<bool(const std::wstring& path)>& make,
                           std::optional<std::wstring_view> onTheWayTo = std::nullopt, bool copy = false);

// What becomes of a file that stands where another is put: the file's own
// earlier version is simply replaced; someone else's file, which the user has
// agreed to replace, goes into the Recycle Bin first; where the bin cannot
// take it and the user has agreed to that too, it is deleted for good.
enum class Replacing { OwnFile, IntoTheBin, ForGood };

// A file moved into the Recycle Bin that can still be put back: until
// Settled(), a second name (a hard link, under a temporary name) holds it, so
// that the bin is seen to have taken it rather than the system deleting it
// for good, and so that the step after it can fail without loss.
class BinnedFile {
  public:
    // Bins the file at path; no file there (or a folder) is nothing to bin.
    // A read-only file raises "Permission denied" (someone's on purpose: it
    // could not be written over either) unless readOnlyToo. Where the bin cannot take
    // the file (a drive without one, a file too large for it, a bin that
    // refuses or deletes instead) the file is left where it was and
    // Err::NoRecycleBin is raised.
    explicit BinnedFile(const std::wstring& path, bool readOnlyToo = false);
    // Puts the file back at its path unless Settled().
    ~BinnedFile();
    BinnedFile(const BinnedFile&) = delete;
    BinnedFile& operator=(const BinnedFile&) = delete;

    // The step after the binning is done: the file stays in the bin.
    void Settled();

  private:
    std::wstring path_;
    std::wstring second_; // the second name; empty when there is none
};

// Bins the file at path at once (as BinnedFile, Settled at once), or with
// forGood deletes it for good (the user has agreed, the bin being unable).
void MoveToRecycleBin(const std::wstring& path, bool forGood = false);

// Owns a temporary file: deletes it unless it was put in place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(TemporaryFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    TemporaryFile& operator=(TemporaryFile&&) = delete;

    const std::wstring& Path() const { return path_; }

    // The temporary takes target's place in one step. A read-only target is
    // never replaced: that raises "Permission denied". With IntoTheBin, a file
    // at target is binned first and put back should that step fail; with
    // ForGood or OwnFile it is simply replaced.
    void PutInPlace(const std::wstring& target, Replacing replacing = Replacing::OwnFile);

  private:
    std::wstring path_;
};

// A temporary beside target, made for target's name by make.
TemporaryFile TemporaryFor(const std::wstring& target,
                           const std::function<bool(const std::wstring& path)>& make);

// A copy of source, byte for byte, in a temporary beside target made for
// target's name, complete and flushed (a failed copy leaves nothing).
TemporaryFile CopyToTemporary(const std::wstring& source, const std::wstring& target);

// Copies source byte for byte to target through a temporary beside target,
// which takes target's place in one step once complete and flushed: a copy
// cut short never leaves part of a file at target, nor a failed one a
// temporary. Raises the failing step's error.
void CopyIntoPlace(const std::wstring& source, const std::wstring& target,
                   Replacing replacing = Replacing::OwnFile);

// Gives the file at source the path target in one step (MoveFileExW); flags
// as MoveFileExW takes them. False, with the thread's last error set, when
// it failed.
bool MoveInOneStep(const std::wstring& source, const std::wstring& target, unsigned long flags);

// The one file step a test must be able to make fail on demand: a file put
// in its place by MoveInOneStep (a finished temporary, a moved XTR file). A
// test installs a function here; empty means the real thing.
using ReplaceStep = std::function<bool(const std::wstring& source, const std::wstring& target)>;
ReplaceStep& ReplaceStepForTests();

// A named step of a file operation ("written": a temporary is complete;
// "binned": a replaced file is in the bin; "renamed": a file took its new
// name; "between": a letter-case rename is half done). Where the environment
// variable QUILLON_END_AT_STEP names the step (or "<step>@<n>", its n-th
// time), the process ends there at once, as a crash would end it, for the
// kill loops of scripts/kill-loops.sh. Costs nothing otherwise.
void StepReached(std::wstring_view step);

// Start-up tidying of one folder. Nothing here creates or changes an XTR
// file. A temporary of an earlier run older than a minute (a younger one may
// be a second Quillon's at work) is deleted when it holds nothing that is not
// elsewhere too (a copy of a file that stayed where it was, a second name of a
// file in place or in the bin); any other goes into the Recycle Bin, as it may
// hold the only copy of someone's work. Returns, for each one binned, the
// name of the file it was made for or, where its name does not carry that,
// the title on its first line in quotes. Each failure is reported, and the
// next file goes on.
std::vector<std::wstring> TidyTemporaryFiles(const std::wstring& folder);
