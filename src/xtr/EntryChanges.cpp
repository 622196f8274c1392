#include "xtr/EntryChanges.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/FileReads.h"
#include "toolkit/Ui.h"
#include "xtr/FileChange.h"
#include "xtr/Leftovers.h"
#include "xtr/XtrFile.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <functional>
#include <optional>

namespace {
constexpr wchar_t kSaveLabel[] = L"Form2.cmdOK_Click";
constexpr wchar_t kDropLabel[] = L"Form1.Form_DragDrop";
// Every XTR file has a line end in its first lines: 64 KB hold many.
constexpr DWORD kHeadBytes = 64 * 1024;

// One command the user gave: the window that owns its questions and messages, and the two folders of the
// catalogue, read once for the whole command.
struct Command {
    explicit Command(HWND window) : owner(window), host(HostFolder), saved(SavedXtrFolder(host)) {}
    const std::wstring& Of(bool active) const { return active ? host : saved; }
    std::vector<std::wstring> Both() const { return {host, saved}; }
    // The file lies in HostFolder or in SavedXTR itself.
    bool InCatalogue(const std::wstring& path) const {
        return EqualsIgnoringCase(FolderOf(path), host) || EqualsIgnoringCase(FolderOf(path), saved);
    }
    // "in the UI-View32 folder", "in SavedXTR": where a file of the catalogue lies.
    std::wstring InFolderOf(const std::wstring& path) const {
        return EqualsIgnoringCase(FolderOf(path), saved) ? std::wstring(L"in ") + kSavedXtrName
                                                         : L"in the UI-View32 folder";
    }
    // A question (Yes/No, No the default): true for Yes.
    bool Yes(const std::wstring& question, UINT icon = 0) const {
        return Ui::ShowMessage(owner, question, AppTitle, MB_YESNO | MB_DEFBUTTON2 | icon) == IDYES;
    }

    HWND owner;
    std::wstring host, saved;
};

// The one replace question, naming every file it would replace, one in each folder at the most (no icon):
// true for Yes, and when nothing is in the way.
bool AskToReplace(const Command& command, const std::wstring& fileName,
                  const std::vector<std::wstring>& paths) {
    const bool both = paths.size() > 1;
    return paths.empty() || command.Yes(fileName + L" already exists " + command.InFolderOf(paths.front()) +
                                        (both ? L" and " + command.InFolderOf(paths.back()) : L"") +
                                        L". Do you want to replace " + (both ? L"both" : L"it") + L"?");
}

// Why a step failed, in the user's words: what the error number alone would leave unsaid (a file in use, a
// read-only file, a folder that refuses) is told by what the system said and by a look at the files involved.
std::wstring ReasonFor(const Command& command, const TrapResult& failure,
                       const std::vector<std::wstring>& paths) {
    const unsigned long code = failure.SystemCode();
    const bool denied = failure.Error() == Err::PermissionDenied;
    // Some steps (the shell's bin among them) say only "denied": a file
    // that cannot even be opened to be removed is held by another program.
    const auto inUse = [](const std::wstring& path) {
        return !OpenToDelete(path) && ::GetLastError() == ERROR_SHARING_VIOLATION;
    };
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
        (denied && std::any_of(paths.begin(), paths.end(), inUse))) {
        return L"it is in use by another program";
    }
    if (failure.Error() == Err::BadFileNameOrNumber) {
        return L"Windows cannot use that name for a file";
    }
    for (const std::wstring& path : denied ? paths : std::vector<std::wstring>{}) {
        if (IsReadOnlyFile(path)) {
            return std::wstring(FileNameOf(path)) + L" " + command.InFolderOf(path) + L" is read-only";
        }
    }
    // Denied, and neither in use nor read-only: the folder refused (a read-only disk).
    if (denied || failure.Error() == Err::FolderRefused) {
        return L"the folder " + (denied ? std::wstring(FolderOf(paths.front())) : failure.Where()) +
               L" does not let Quillon change its files";
    }
    if (failure.Error() == Err::PathNotFound && !failure.Where().empty()) {
        return IsFileAt(failure.Where())
                   ? std::wstring(FileNameOf(failure.Where())) + L" is a file, not a folder"
                   : L"the folder " + failure.Where() + L" is not there";
    }
    if (failure.Error() == Err::DiskFull) {
        return L"the disk is full";
    }
    // The standard description, as a clause of the sentence.
    std::wstring reason(ErrorDescription(failure.Error()));
    if (reason.size() > 1 && std::iswupper(reason[0]) && !std::iswupper(reason[1])) {
        reason[0] = static_cast<wchar_t>(std::towlower(reason[0]));
    }
    return reason;
}

// How a command the user gave ended (nothing: the user said No), a failure told: why it could not be done,
// paths being the files it worked on, each in its folder.
ChangeEnd Ended(const Command& command, const std::wstring& fileName, const wchar_t* notDone,
                const std::optional<TrapResult>& done, const std::vector<std::wstring>& paths) {
    if (!done || *done) {
        return done ? ChangeEnd::Done : ChangeEnd::Declined;
    }
    Ui::ShowMessage(
        command.owner,
        L"The XTR file " + fileName + L" could not be " + notDone + L": " + ReasonFor(command, *done, paths) +
            (done->BinKeptCopy() ? L". The Recycle Bin also holds a copy of what was put back." : L"."),
        AppTitle, MB_OK | MB_ICONSTOP);
    return ChangeEnd::Failed;
}

// What a command showed the user before it changed files, as one look at them found it.
struct Seen {
    Replacing replacing; // asked: every file looked at; others: those in the way, which go with the change
    FileNow own = {};    // the entry's own file, read whole, where a save looks at it
    bool operator==(const Seen&) const = default;
};

// The files of that name in folders, and alsoGoing, as they are now: the files a command looks at. Those in
// the folders that are not the entry's own file (ownPath; empty for a new entry) stand in the way.
Seen LookAt(const std::wstring& fileName, const std::vector<std::wstring>& folders,
            const std::wstring& ownPath = {}, const std::vector<std::wstring>& alsoGoing = {}) {
    Seen seen;
    for (const std::wstring& path : alsoGoing) {
        seen.replacing.asked.push_back(StampOf(path));
    }
    // A name that is no plain file name is refused before anything is written (a device such as CON
    // "exists" everywhere).
    for (const std::wstring& folder : IsPlainFileName(fileName) ? folders : std::vector<std::wstring>{}) {
        const std::wstring path = JoinPath(folder, fileName);
        seen.replacing.asked.push_back(StampOf(path));
        if (IsFileAt(path) && !EqualsIgnoringCase(path, ownPath)) {
            seen.replacing.others.push_back(path);
        }
    }
    return seen;
}

// The one question loop of the commands. look() looks at the command's files; ask(seen) asks the user about
// them (no ask: the replace question about the files in the way), false for No. The questions wait for the
// user, and another program, a second Quillon among them, may change a file meanwhile: the files are looked
// at again after every answer, and asked about again while something changed, came or went, so that what
// is replaced is what the user said Yes to. step then puts into the Recycle Bin what it replaces or removes,
// each file the version last seen (one found changed, come or gone instead fails it with
// Err::ChangedMeanwhile, and it is asked about again). Where the bin cannot take a file, nothing has changed:
// the user is asked whether to delete it for good, and on Yes step runs again so, for the very versions that
// question showed. Nothing when the user said No; else how step ended.
std::optional<TrapResult> Asked(const Command& command, const std::wstring& fileName,
                                const std::function<Seen()>& look,
                                const std::function<bool(const Seen&)>& ask,
                                const std::function<TrapResult(const Seen&)>& step) {
    for (;;) {
        Seen seen = look();
        if (!(ask ? ask(seen) : AskToReplace(command, fileName, seen.replacing.others))) {
            return std::nullopt;
        }
        if (!(look() == seen)) {
            continue;
        }
        TrapResult done = step(seen);
        if (done.Error() == Err::NoRecycleBin) {
            seen.replacing.fate = Fate::ForGood;
            seen.replacing.asked = look().replacing.asked;
            if (!command.Yes(fileName + L" cannot go to the Recycle Bin. Delete it for good?")) {
                return std::nullopt;
            }
            if (look().replacing.asked != seen.replacing.asked) {
                continue;
            }
            done = step(seen);
        }
        if (done.Error() != Err::ChangedMeanwhile) {
            return done;
        }
    }
}

// What the user changed in the editor; texts compared exactly, letter case counts.
struct EditMarks {
    bool active, content, name;
};
EditMarks MarksOf(const XtrRecord& edited, const XtrRecord& loaded) {
    return {edited.active != loaded.active,
            edited.autoStop != loaded.autoStop || edited.autoStart != loaded.autoStart ||
                !SameProgramPath(edited, loaded) || edited.title != loaded.title,
            edited.fileName != loaded.fileName};
}

// The entry written into change, whose files go as the user agreed, and the change made.
TrapResult Written(FileChange& change, const XtrRecord& entry, std::wstring_view setting) {
    const TrapResult written = ContentChanged(entry, setting, &change);
    return written ? Trap(kSaveLabel, [&] { change.Commit(); }) : written;
}

// A new entry.
std::optional<TrapResult> SaveNewEntry(const Command& command, const XtrRecord& edited) {
    XtrRecord entry = edited;
    entry.folder = command.Of(edited.active);
    const std::wstring setting = ReadHostFolderSetting();
    return Asked(
        command, edited.fileName, [&] { return LookAt(edited.fileName, command.Both()); }, nullptr,
        [&](const Seen& seen) {
            FileChange change(seen.replacing);
            return Written(change, entry, setting);
        });
}

// What a save of an existing entry into targetFolder does, once the user has answered every question about
// what the save saw; setting is the folder setting the save read.
TrapResult ApplyEdit(const XtrRecord& edited, const XtrRecord& loaded, const std::wstring& targetFolder,
                     const Seen& seen, std::wstring_view setting) {
    const EditMarks changed = MarksOf(edited, loaded);
    const FileNow& now = seen.own;
    XtrRecord entry = edited;
    entry.folder = loaded.folder;
    // The lines the user left as they were keep the bytes of the file as it is
    // now, read whole; where it cannot be read, of what the scan kept of it.
    entry.fileSize = entry.lastWrite = 0; // the bytes below are a whole file
    const bool read = now.state == FileNow::State::Read;
    if (!read && loaded.fileSize != 0 && (changed.content || changed.name)) {
        // In use, and more to it than the scan kept: it cannot be saved over.
        ReportError(Err::PermissionDenied, kSaveLabel);
        return TrapResult::Failure(Err::PermissionDenied, ERROR_SHARING_VIOLATION);
    }
    entry.bytes = read ? now.bytes : loaded.bytes;
    entry.unreadable = !read && loaded.unreadable;
    // The files in the way, those in the other folder too, go with the change.
    if (ChangedSince(now, loaded)) {
        // The dialog's version goes where the dialog says; whatever stood there,
        // and the file it was loaded from, go into the Recycle Bin.
        entry.folder = targetFolder;
        FileChange change(seen.replacing);
        change.Replace(JoinPath(loaded.folder, loaded.fileName));
        return Written(change, entry, setting);
    }
    if (!changed.content && !changed.name) {
        return ActiveChanged(loaded, targetFolder, seen.replacing); // moved with its bytes unchanged
    }
    if (!changed.active && !changed.name) {
        return ContentChanged(entry, setting);
    }
    // Written into the new state's folder under the new name; the old file goes in the same change.
    entry.folder = targetFolder;
    return FilenameChanged(entry, loaded, setting, seen.replacing);
}

std::optional<TrapResult> SaveExistingEntry(const Command& command, const XtrRecord& edited,
                                            const XtrRecord& loaded) {
    const EditMarks changed = MarksOf(edited, loaded);
    if (!changed.active && !changed.content && !changed.name) {
        return TrapResult(); // nothing to write
    }
    // A listed file whose name Windows cannot use (a "?" in a name another system gave it) cannot be read
    // again or saved over: said at once, not taken for a change made by another program.
    if (!IsPlainFileName(loaded.fileName)) {
        Raise(Err::BadFileNameOrNumber);
    }
    const std::wstring oldPath = JoinPath(loaded.folder, loaded.fileName);
    const std::wstring targetFolder = changed.active ? command.Of(edited.active) : loaded.folder;
    // Read once for this save, whatever is asked again: the program path is stored against one folder.
    const std::wstring setting = ReadHostFolderSetting();
    // The file itself is looked at too, and a change another program made to it asked about first.
    const auto look = [&] {
        const FileNow now = ReadFileNow(oldPath);
        const bool overChange = ChangedSince(now, loaded);
        // A new name or folder, or a version saved over a change, must not
        // leave the entry both active and inactive.
        const bool elsewhere = changed.name || changed.active || overChange;
        Seen seen = LookAt(edited.fileName, elsewhere ? command.Both() : std::vector{targetFolder}, oldPath,
                           overChange ? std::vector{oldPath} : std::vector<std::wstring>{});
        seen.own = now;
        return seen;
    };
    // Unread, it may hold anything: the user decides without being told a change that may not have happened.
    const std::wstring saveOver =
        loaded.unreadable
            ? L"Quillon could not read " + loaded.fileName +
                  L" when it listed it, so it cannot tell what the file holds now. Do you want to save your "
                  L"version?"
            : loaded.fileName + L" was changed or removed by another program since Quillon read it. Do you "
                                L"want to save your version?";
    return Asked(
        command, edited.fileName, look,
        [&](const Seen& seen) {
            return (!ChangedSince(seen.own, loaded) || command.Yes(saveOver)) &&
                   AskToReplace(command, edited.fileName, seen.replacing.others);
        },
        [&](const Seen& seen) { return ApplyEdit(edited, loaded, targetFolder, seen, setting); });
}

std::wstring CouldNotBeRead(DWORD code) {
    return L"it could not be read (" + std::wstring(ErrorDescription(ErrorNumberFromSystemCode(code))) + L")";
}

// Why the dropped file at path is no XTR file Quillon can take, in a few words for the user ("it is empty");
// nothing when it is one: not a file of the catalogue, a name Quillon accepts, an ordinary file (not a
// folder, not hidden or system) that can be read, not empty, with a line end (CR) within its first 64 KB.
std::optional<std::wstring> WhyNotAnXtrFile(const Command& command, const std::wstring& path) {
    if (command.InCatalogue(path)) {
        return L"it is an inactive entry already; Set Active makes it active";
    }
    if (!IsPlainFileName(FileNameOf(path))) {
        return L"Quillon cannot use its name";
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return CouldNotBeRead(::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return L"it is a folder";
    }
    // The scan would not list such a copy: the catalogue holds ordinary files only.
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return L"it is a hidden or system file";
    }
    const UniqueFile file = OpenToRead(path);
    if (!file) {
        return CouldNotBeRead(::GetLastError());
    }
    std::string head(kHeadBytes, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), head.data(), kHeadBytes, &read, nullptr)) {
        return CouldNotBeRead(::GetLastError());
    }
    if (read == 0) {
        return L"it is empty";
    }
    if (std::memchr(head.data(), '\r', read) == nullptr) {
        return L"it is not an XTR file (no line end within its first 64 KB)";
    }
    return std::nullopt;
}

// Copies the file at path into HostFolder byte for byte, complete and flushed under a temporary name, which
// takes the place of a file of its name there in one change with a file of its name in SavedXTR going: the
// entry is then listed once, as active. Files of its name that were there go as replacing says (the caller
// has asked the user). Raises the error of the step that failed, both folders as they were.
void InstallXtrFile(const Command& command, const std::wstring& path, const Replacing& replacing) {
    const std::wstring fileName(FileNameOf(path));
    const std::wstring target = JoinPath(command.host, fileName);
    FileChange change(replacing);
    change.Put(CopyToTemporary(path, target), target);
    change.Commit();
}

// Installs the dropped file at path as an active entry, listed once: a file of its name in either folder
// goes, as the user agreed. Why it was not installed, in a few words for the user; nothing when it was.
std::optional<std::wstring> Installed(const Command& command, const std::wstring& path) {
    if (std::optional<std::wstring> why = WhyNotAnXtrFile(command, path)) {
        return why;
    }
    const std::wstring fileName(FileNameOf(path));
    size_t kept = 0; // the files in the way that the user kept
    const std::optional<TrapResult> installed = Asked(
        command, fileName, [&] { return LookAt(fileName, command.Both()); },
        [&](const Seen& seen) {
            kept = AskToReplace(command, fileName, seen.replacing.others) ? 0 : seen.replacing.others.size();
            return kept == 0;
        },
        [&](const Seen& seen) {
            return Trap(kDropLabel, [&] { InstallXtrFile(command, path, seen.replacing); });
        });
    if (kept > 0) {
        return kept == 1 ? L"skipped, the file of that name already there was kept"
                         : L"skipped, the files of that name already there were kept";
    }
    if (!installed) {
        return L"skipped, what stood in its way could not go to the Recycle Bin";
    }
    if (!*installed) {
        return L"it could not be copied (" +
               ReasonFor(command, *installed, {path, JoinPath(command.host, fileName)}) + L")";
    }
    return std::nullopt;
}
} // namespace

ChangeEnd SaveEditedEntry(HWND owner, const XtrRecord& edited, const XtrRecord* loaded) {
    const Command command(owner);
    std::optional<TrapResult> saved;
    // Every failure of the save is told, whichever step it came from.
    const TrapResult trapped = Trap(kSaveLabel, [&] {
        saved =
            loaded == nullptr ? SaveNewEntry(command, edited) : SaveExistingEntry(command, edited, *loaded);
    });
    // The files a save works on: the one it was loaded from and the one it writes.
    std::vector<std::wstring> paths{JoinPath(command.Of(edited.active), edited.fileName)};
    if (loaded != nullptr) {
        paths.insert(paths.begin(), JoinPath(loaded->folder, loaded->fileName));
    }
    return Ended(command, edited.fileName, L"saved", trapped ? saved : trapped, paths);
}

ChangeEnd MoveEntry(HWND owner, const XtrRecord& chosen) {
    const Command command(owner);
    const std::wstring& destination = command.Of(!chosen.active);
    // A file another program took away while the question waited is not moved:
    // the rescan that ends the command shows the disk.
    const std::optional<TrapResult> done = Asked(
        command, chosen.fileName, [&] { return LookAt(chosen.fileName, {destination}); }, nullptr,
        [&](const Seen& seen) { return ActiveChanged(chosen, destination, seen.replacing); });
    return Ended(command, chosen.fileName, chosen.active ? L"made inactive" : L"made active", done,
                 {JoinPath(chosen.folder, chosen.fileName), JoinPath(destination, chosen.fileName)});
}

ChangeEnd DeleteEntry(HWND owner, const XtrRecord& chosen) {
    const Command command(owner);
    const std::wstring path = JoinPath(chosen.folder, chosen.fileName);
    const std::optional<TrapResult> done = Asked(
        command, chosen.fileName, [&] { return LookAt(chosen.fileName, {}, {}, {path}); }, nullptr,
        [&](const Seen& seen) { return DeleteXTR(chosen, seen.replacing); });
    return Ended(command, chosen.fileName, L"deleted", done, {path});
}

DropOutcome InstallDroppedFiles(HWND owner, const std::vector<std::wstring>& paths) {
    const Command command(owner);
    DropOutcome outcome;
    for (const std::wstring& path : paths) {
        const std::wstring fileName(FileNameOf(path));
        if (!HasXtrExtension(fileName) || EqualsIgnoringCase(FolderOf(path), command.host)) {
            continue; // an active entry already
        }
        if (const std::optional<std::wstring> why = Installed(command, path)) {
            outcome.notInstalled += L"\n" + fileName + L": " + *why;
        } else if (outcome.firstInstalled.empty()) {
            outcome.firstInstalled = fileName;
        }
    }
    return outcome;
}

bool IsInCatalogueFolder(const std::wstring& path) { return Command(nullptr).InCatalogue(path); }

void TellNotInstalled(HWND owner, const DropOutcome& outcome) {
    if (!outcome.notInstalled.empty()) {
        Ui::ShowMessage(owner, L"These dropped files were not installed:\n" + outcome.notInstalled, AppTitle,
                        MB_OK | MB_ICONINFORMATION);
    }
}

void TidyLeftoversAndTell(HWND owner) {
    const Command command(owner);
    const Tidied tidied = TidyLeftovers(command.host, command.saved);
    for (const Leftover& stuck : tidied.stuck) {
        if (command.Yes(L"Quillon found unsaved work of an earlier run, " + stuck.known +
                            L", that cannot go to the Recycle Bin. Delete it for good?",
                        MB_ICONQUESTION)) {
            DeleteLeftover(stuck.path);
        }
    }
    const auto tell = [&](const std::vector<std::wstring>& names, std::wstring told) {
        for (size_t i = 0; i < names.size(); ++i) {
            told += (i == 0 ? L"" : L", ") + names[i];
        }
        if (!names.empty()) {
            Ui::ShowMessage(owner, told + L".", AppTitle, MB_OK | MB_ICONINFORMATION);
        }
    };
    tell(tidied.putBack, L"Quillon put back what an earlier run left unfinished, as it was: ");
    tell(tidied.binned, L"Quillon found unsaved work of an earlier run and put it into the Recycle Bin: ");
}

void TellFolderGone(HWND owner) {
    const std::wstring host = HostFolder;
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(host)) {
        Ui::ShowMessage(owner,
                        L"Quillon cannot read the UI-View32 folder " + host + L": " + problem->reason + L".",
                        AppTitle, MB_OK | MB_ICONSTOP);
    }
}
