#pragma once
// Temporary files beside the XTR files: a file is written or copied under a
// temporary name and put in place in one step only once it is complete, so
// that neither UI-View32 nor a crash ever sees half an XTR file.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Makes a temporary file in folder through make(path), which creates the file
// at path and returns false, with the thread's last error set, when it could
// not. A name that is taken already (a second Quillon, a leftover) is given up
// for a fresh one. onTheWayTo names the file the temporary holds on its way to
// another name, so that a later run can give it that name back. Returns the
// path made; raises the error of any other failure.
std::wstring MakeTemporary(const std::wstring& folder,
                           const std::function<bool(const std::wstring& path)>& make,
                           std::optional<std::wstring_view> onTheWayTo = std::nullopt);

// What becomes of a file that stands where another is put: the file's own
// earlier version is simply replaced; someone else's file, which the user has
// agreed to replace, goes into the Recycle Bin first.
enum class Replacing { OwnFile, IntoTheBin };

// Owns a temporary file: deletes it unless it was put in place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& Path() const { return path_; }

    // The temporary takes target's place in one step. A read-only target is
    // never replaced: that raises "Permission denied". With IntoTheBin, a file
    // at target is binned first; the temporary must then have been made on
    // its way to target's name (MakeTemporary), so that a crash between the
    // two steps leaves it for the next start to put in place.
    void PutInPlace(const std::wstring& target, Replacing replacing = Replacing::OwnFile);

  private:
    std::wstring path_;
};

// A temporary beside target, made by make, that is ready to take target's
// place as replacing says (on its way to target's name for IntoTheBin).
TemporaryFile TemporaryFor(const std::wstring& target, Replacing replacing,
                           const std::function<bool(const std::wstring& path)>& make);

// Copies source byte for byte to target through a temporary beside target,
// which takes target's place in one step once complete: a copy cut short
// never leaves part of a file at target. Raises the failing step's error.
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

// Start-up tidying of one folder: a temporary on its way to a name gets that
// name when no file holds it (it may hold the only copy of an XTR file, so it
// is never deleted); any other temporary of an earlier run is deleted once
// it is older than a minute (younger ones may be a second Quillon's at work).
// Each failure is reported, and the next file goes on.
void TidyTemporaryFiles(const std::wstring& folder);
