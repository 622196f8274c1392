#include "xtr/EntryChanges.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/FileChange.h"
#include "xtr/XtrFile.h"

#include <cstring>
#include <cwctype>
#include <functional>
#include <optional>

namespace {
constexpr wchar_t kSaveLabel[] = L"Form2.cmdOK_Click";
constexpr wchar_t kDropLabel[] = L"Form1.Form_DragDrop";
// Every XTR file has a line end in its first lines: 64 KB hold many.
constexpr DWORD kHeadBytes = 64 * 1024;

// "in the UI-View32 folder", "in SavedXTR": where a file of the catalogue lies.
std::wstring InFolderOf(const std::wstring& path) {
    return EqualsIgnoringCase(FolderOf(path), SavedXtrFolder()) ? std::wstring(L"in ") + kSavedXtrName
                                                                : L"in the UI-View32 folder";
}

// The one replace question, naming every file it would replace, one in each
// folder at the most (Yes/No, No the default, no icon): true for Yes.
bool AskToReplace(HWND owner, const std::wstring& fileName, const std::vector<std::wstring>& paths) {
    const bool both = paths.size() > 1;
    const std::wstring where = InFolderOf(paths.front()) + (both ? L" and " + InFolderOf(paths.back()) : L"");
    return Ui::ShowMessage(owner,
                           fileName + L" already exists " + where + L". Do you want to replace " +
                               (both ? L"both" : L"it") + L"?",
                           AppTitle, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// Why a step failed, in the user's words: what the error number alone would leave unsaid (a file in use, a
// read-only file, a folder that refuses) is told by what the system said and by a look at the files involved.
std::wstring ReasonFor(const TrapResult& failure, const std::vector<std::wstring>& paths) {
    const unsigned long code = failure.SystemCode();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
        return L"it is in use by another program";
    }
    if (failure.Error() == Err::BadFileNameOrNumber) {
        return L"Windows cannot use that name for a file";
    }
    if (failure.Error() == Err::FolderRefused) {
        return L"the folder " + failure.Where() + L" does not let Quillon change its files";
    }
    if (failure.Error() == Err::PermissionDenied) {
        // Some steps (the shell's bin among them) say only "denied": a file
        // that cannot even be opened to be removed is held by another program.
        for (const std::wstring& path : paths) {
            const UniqueFile probe(
                ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            if (!probe && ::GetLastError() == ERROR_SHARING_VIOLATION) {
                return L"it is in use by another program";
            }
        }
        for (const std::wstring& path : paths) {
            if (IsReadOnlyFile(path)) {
                return std::wstring(FileNameOf(path)) + L" " + InFolderOf(path) + L" is read-only";
            }
        }
        // Neither in use nor read-only: the folder refused (a read-only disk).
        return L"the folder " + std::wstring(FolderOf(paths.front())) +
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

// Tells why a command the user gave could not be done; paths are the files it worked on, each in its folder.
void TellFailure(HWND owner, const std::wstring& fileName, const wchar_t* notDone, const TrapResult& failure,
                 const std::vector<std::wstring>& paths) {
    Ui::ShowMessage(
        owner,
        L"The XTR file " + fileName + L" could not be " + notDone + L": " + ReasonFor(failure, paths) +
            (failure.BinKeptCopy() ? L". The Recycle Bin also holds a copy of what was put back." : L"."),
        AppTitle, MB_OK | MB_ICONSTOP);
}

// Asks about the files of that name that stand in folders and are not the entry's own file (ownPath; empty
// for a new entry) until none of them changed, came or went while the user answered: what is replaced is
// what the user said Yes to. False for No; paths then holds what was asked about.
bool ConfirmReplacing(HWND owner, const std::wstring& fileName, const std::vector<std::wstring>& folders,
                      const std::wstring& ownPath, std::vector<std::wstring>& paths) {
    const auto inTheWay = [&] {
        std::vector<std::wstring> found;
        for (const std::wstring& folder : folders) {
            const std::wstring path = JoinPath(folder, fileName);
            // A name that is no plain file name is refused before anything is written (a device such as CON
            // "exists" everywhere).
            if (IsPlainFileName(fileName) && IsFileAt(path) && !EqualsIgnoringCase(path, ownPath)) {
                found.push_back(path);
            }
        }
        return found;
    };
    for (;;) {
        paths = inTheWay();
        if (paths.empty()) {
            return true;
        }
        const std::vector<FileStamp> asked = StampsOf(paths);
        if (!AskToReplace(owner, fileName, paths)) {
            return false;
        }
        if (inTheWay() == paths && StampsOf(paths) == asked) {
            return true;
        }
    }
}

// The files the entry's own file would meet under its new name: in the folder it goes to, and, so that it is
// never both active and inactive, in the other one.
std::vector<std::wstring> BothFolders() { return {HostFolder, SavedXtrFolder()}; }

// The files of that name in folders, and those of alsoGoing: what a command looks at, to replace or keep
// clear.
std::vector<std::wstring> LookedAt(const std::wstring& fileName, const std::vector<std::wstring>& folders,
                                   const std::vector<std::wstring>& alsoGoing) {
    std::vector<std::wstring> paths = alsoGoing;
    for (const std::wstring& folder : IsPlainFileName(fileName) ? folders : std::vector<std::wstring>{}) {
        paths.push_back(JoinPath(folder, fileName));
    }
    return paths;
}

// Runs a change that puts into the Recycle Bin what it replaces or removes, each file the version of looked
// the command saw last (a file found changed, come or gone instead fails it with Err::ChangedMeanwhile, for
// the caller to ask again). Where the bin cannot take a file, nothing has changed: the user is asked whether
// to delete it for good, and on Yes the change runs again so, for the very versions the question showed.
// Nothing when the user said No.
std::optional<TrapResult> BinningOrAsking(HWND owner, const std::wstring& fileName,
                                          const std::vector<std::wstring>& looked,
                                          const std::function<TrapResult(const Replacing&)>& step) {
    Replacing replacing{Fate::IntoTheBin, StampsOf(looked), {}};
    const TrapResult binned = step(replacing);
    if (binned || binned.Error() != Err::NoRecycleBin) {
        return binned;
    }
    replacing = {Fate::ForGood, StampsOf(looked), {}};
    if (Ui::ShowMessage(owner, fileName + L" cannot go to the Recycle Bin. Delete it for good?", AppTitle,
                        MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return std::nullopt;
    }
    if (StampsOf(looked) != replacing.asked) {
        return TrapResult::Failure(Err::ChangedMeanwhile);
    }
    return step(replacing);
}

// A new entry, a move, a delete or a drop: asks about the files in the way of fileName in folders
// (ConfirmReplacing), then runs step through BinningOrAsking, which bins them and alsoGoing, from the
// question again while a file changed meanwhile. Declined for No (keptInTheWay then says whether it was to
// the replace question); else result says how step ended.
ChangeEnd ReplacingAsked(HWND owner, const std::wstring& fileName, const std::vector<std::wstring>& folders,
                         std::vector<std::wstring>& inTheWay, const std::vector<std::wstring>& alsoGoing,
                         const std::function<TrapResult(const Replacing&)>& step, TrapResult& result,
                         bool* keptInTheWay = nullptr) {
    for (;;) {
        if (!ConfirmReplacing(owner, fileName, folders, {}, inTheWay)) {
            if (keptInTheWay != nullptr) {
                *keptInTheWay = true;
            }
            return ChangeEnd::Declined;
        }
        const std::optional<TrapResult> done =
            BinningOrAsking(owner, fileName, LookedAt(fileName, folders, alsoGoing), step);
        if (!done) {
            return ChangeEnd::Declined;
        }
        if (done->Error() != Err::ChangedMeanwhile) {
            result = *done;
            return result ? ChangeEnd::Done : ChangeEnd::Failed;
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
                edited.programDrive != loaded.programDrive || edited.programDir != loaded.programDir ||
                edited.programFile != loaded.programFile || edited.title != loaded.title,
            edited.fileName != loaded.fileName};
}

// A new entry. The caller tells a failure.
ChangeEnd SaveNewEntry(HWND owner, const XtrRecord& edited, TrapResult& saved) {
    XtrRecord entry = edited;
    entry.folder = CatalogueFolder(edited.active);
    const std::wstring setting = ReadHostFolderSetting();
    std::vector<std::wstring> inTheWay;
    return ReplacingAsked(
        owner, edited.fileName, BothFolders(), inTheWay, {},
        [&](const Replacing& asked) {
            Replacing replacing = asked;
            replacing.others = inTheWay;
            FileChange change(replacing);
            TrapResult written = ContentChanged(entry, setting, &change);
            return written ? Trap(kSaveLabel, [&] { change.Commit(); }) : written;
        },
        saved);
}

// What a save of an existing entry does, once the user has answered every
// question; replacing says what becomes of the files it replaces, and setting
// is the folder setting the save read.
TrapResult ApplyEdit(const XtrRecord& edited, const XtrRecord& loaded, const FileNow& now, bool overChange,
                     const std::wstring& targetFolder, const std::vector<std::wstring>& inTheWay,
                     const std::wstring& setting, const Replacing& asked) {
    const EditMarks changed = MarksOf(edited, loaded);
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
    const std::wstring target = JoinPath(targetFolder, edited.fileName);
    const std::wstring loadedPath = JoinPath(loaded.folder, loaded.fileName);
    // The files in the way that are not the target, those in the other folder, go with the change.
    Replacing replacing = asked;
    replacing.others = inTheWay;
    std::erase_if(replacing.others,
                  [&](const std::wstring& path) { return EqualsIgnoringCase(path, target); });
    if (overChange) {
        // The dialog's version goes where the dialog says; whatever stood there,
        // and the file it was loaded from, go into the Recycle Bin.
        entry.folder = targetFolder;
        FileChange change(replacing);
        change.Replace(target);
        if (!EqualsIgnoringCase(loadedPath, target)) {
            change.Replace(loadedPath);
        }
        const TrapResult written = ContentChanged(entry, setting, &change);
        return written ? Trap(kSaveLabel, [&] { change.Commit(); }) : written;
    }
    if (!changed.content && !changed.name) {
        XtrRecord moved = loaded; // moved with its bytes unchanged
        moved.active = edited.active;
        return ActiveChanged(moved, replacing);
    }
    if (!changed.active && !changed.name) {
        return ContentChanged(entry, setting);
    }
    // Written into the new state's folder under the new name; the old file goes in the same change.
    entry.folder = targetFolder;
    return FilenameChanged(entry, loaded, setting, replacing);
}

bool AskToSaveOver(HWND owner, const XtrRecord& loaded) {
    // Unread, it may hold anything: the user decides without being told a change that may not have happened.
    const std::wstring question =
        loaded.unreadable
            ? L"Quillon could not read " + loaded.fileName +
                  L" when it listed it, so it cannot tell what the file holds now. Do you want to save your "
                  L"version?"
            : loaded.fileName + L" was changed or removed by another program since Quillon read it. Do you "
                                L"want to save your version?";
    return Ui::ShowMessage(owner, question, AppTitle, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

ChangeEnd SaveExistingEntry(HWND owner, const XtrRecord& edited, const XtrRecord& loaded, TrapResult& saved) {
    const EditMarks changed = MarksOf(edited, loaded);
    if (!changed.active && !changed.content && !changed.name) {
        return ChangeEnd::Done; // nothing to write
    }
    // A listed file whose name Windows cannot use (a "?" in a name another system gave it) cannot be read
    // again or saved over: said at once, not taken for a change made by another program.
    if (!IsPlainFileName(loaded.fileName)) {
        Raise(Err::BadFileNameOrNumber);
    }
    const std::wstring oldPath = JoinPath(loaded.folder, loaded.fileName);
    const std::wstring targetFolder = changed.active ? CatalogueFolder(edited.active) : loaded.folder;
    // Read once for this save, whatever is asked again: the program path is stored against one folder.
    const std::wstring setting = ReadHostFolderSetting();
    // The questions wait for the user; another program, a second Quillon among them, may change the file
    // meanwhile. The file is looked at again after every answer, and asked about again when it changed.
    for (;;) {
        FileNow now;
        bool overChange = false;
        std::vector<std::wstring> inTheWay, folders;
        do {
            now = ReadFileNow(oldPath);
            overChange = ChangedSince(now, loaded);
            if (overChange && !AskToSaveOver(owner, loaded)) {
                return ChangeEnd::Declined;
            }
            // A new name or folder, or a version saved over a change, must not
            // leave the entry both active and inactive.
            const bool elsewhere = changed.name || changed.active || overChange;
            folders = elsewhere ? BothFolders() : std::vector{targetFolder};
            if (!ConfirmReplacing(owner, edited.fileName, folders, oldPath, inTheWay)) {
                return ChangeEnd::Declined;
            }
        } while (!(ReadFileNow(oldPath) == now));
        const std::vector<std::wstring> looked = LookedAt(
            edited.fileName, folders, overChange ? std::vector{oldPath} : std::vector<std::wstring>{});
        const std::optional<TrapResult> done =
            BinningOrAsking(owner, edited.fileName, looked, [&](const Replacing& replacing) {
                return ApplyEdit(edited, loaded, now, overChange, targetFolder, inTheWay, setting, replacing);
            });
        if (!done) {
            return ChangeEnd::Declined;
        }
        // After "Delete it for good?" the file is read again: a change meanwhile is asked about.
        if (done->Error() != Err::ChangedMeanwhile &&
            (!*done || done->Error() != Err::NoRecycleBin || ReadFileNow(oldPath) == now)) {
            saved = *done;
            return saved ? ChangeEnd::Done : ChangeEnd::Failed;
        }
    }
}

std::wstring CouldNotBeRead(DWORD code) {
    return L"it could not be read (" + std::wstring(ErrorDescription(ErrorNumberFromSystemCode(code))) + L")";
}

// Why the dropped file at path is no XTR file Quillon can take, in a few words for the user ("it is empty");
// nothing when it is one: a name Quillon accepts, an ordinary file (not a folder, not hidden or system) that
// can be read, not empty, with a line end (CR) within its first 64 KB.
std::optional<std::wstring> WhyNotAnXtrFile(const std::wstring& path) {
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
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
void InstallXtrFile(const std::wstring& path, const Replacing& replacing) {
    const std::wstring fileName(FileNameOf(path));
    const std::wstring target = JoinPath(HostFolder, fileName);
    FileChange change(replacing);
    change.Replace(target);
    change.Replace(JoinPath(SavedXtrFolder(), fileName));
    change.Put(CopyToTemporary(path, target), target);
    change.Commit();
}
} // namespace

ChangeEnd SaveEditedEntry(HWND owner, const XtrRecord& edited, const XtrRecord* loaded) {
    ChangeEnd end = ChangeEnd::Failed;
    TrapResult saved;
    // Every failure of the save is told, whichever step it came from.
    const TrapResult trapped = Trap(kSaveLabel, [&] {
        end = loaded == nullptr ? SaveNewEntry(owner, edited, saved)
                                : SaveExistingEntry(owner, edited, *loaded, saved);
    });
    if (!trapped || !saved) {
        // The files a save works on: the one it was loaded from and the one it writes.
        std::vector<std::wstring> paths{JoinPath(CatalogueFolder(edited.active), edited.fileName)};
        if (loaded != nullptr) {
            paths.insert(paths.begin(), JoinPath(loaded->folder, loaded->fileName));
        }
        TellFailure(owner, edited.fileName, L"saved", !saved ? saved : trapped, paths);
        return ChangeEnd::Failed;
    }
    return end;
}

ChangeEnd MoveEntry(HWND owner, const XtrRecord& chosen) {
    const std::wstring destination = CatalogueFolder(!chosen.active);
    XtrRecord moved = chosen;
    moved.active = !chosen.active;
    // A file another program took away while the question waited is not moved:
    // the rescan that ends the command shows the disk.
    std::vector<std::wstring> inTheWay;
    TrapResult done;
    const ChangeEnd end = ReplacingAsked(
        owner, chosen.fileName, {destination}, inTheWay, {},
        [&](const Replacing& replacing) { return ActiveChanged(moved, replacing); }, done);
    if (end == ChangeEnd::Failed) {
        TellFailure(owner, chosen.fileName, chosen.active ? L"made inactive" : L"made active", done,
                    {JoinPath(chosen.folder, chosen.fileName), JoinPath(destination, chosen.fileName)});
    }
    return end;
}

ChangeEnd DeleteEntry(HWND owner, const XtrRecord& chosen) {
    const std::wstring path = JoinPath(chosen.folder, chosen.fileName);
    std::vector<std::wstring> none;
    TrapResult done;
    const ChangeEnd end = ReplacingAsked(
        owner, chosen.fileName, {}, none, {path},
        [&](const Replacing& replacing) { return DeleteXTR(chosen, replacing); }, done);
    if (end == ChangeEnd::Failed) {
        TellFailure(owner, chosen.fileName, L"deleted", done, {path});
    }
    return end;
}

DropOutcome InstallDroppedFiles(HWND owner, const std::vector<std::wstring>& paths) {
    DropOutcome outcome;
    std::wstring& notInstalled = outcome.notInstalled;
    for (const std::wstring& path : paths) {
        const std::wstring fileName(FileNameOf(path));
        if (!HasXtrExtension(fileName) || EqualsIgnoringCase(FolderOf(path), HostFolder)) {
            continue; // an active entry already
        }
        if (IsInCatalogueFolder(path)) {
            notInstalled +=
                L"\n" + fileName + L": it is an inactive entry already; Set Active makes it active";
            continue;
        }
        if (const std::optional<std::wstring> why = WhyNotAnXtrFile(path)) {
            notInstalled += L"\n" + fileName + L": " + *why;
            continue;
        }
        // Installed as active, the entry is listed once: a file of its name in either folder goes.
        std::vector<std::wstring> inTheWay;
        TrapResult installed;
        bool kept = false;
        const ChangeEnd end = ReplacingAsked(
            owner, fileName, BothFolders(), inTheWay, {},
            [&](const Replacing& fates) { return Trap(kDropLabel, [&] { InstallXtrFile(path, fates); }); },
            installed, &kept);
        if (kept) {
            notInstalled +=
                L"\n" + fileName +
                (inTheWay.size() == 1 ? L": skipped, the file of that name already there was kept"
                                      : L": skipped, the files of that name already there were kept");
        } else if (end == ChangeEnd::Declined) {
            notInstalled +=
                L"\n" + fileName + L": skipped, what stood in its way could not go to the Recycle Bin";
        } else if (!installed) {
            notInstalled += L"\n" + fileName + L": it could not be copied (" +
                            ReasonFor(installed, {path, JoinPath(HostFolder, fileName)}) + L")";
        } else if (outcome.firstInstalled.empty()) {
            outcome.firstInstalled = fileName;
        }
    }
    return outcome;
}

bool IsInCatalogueFolder(const std::wstring& path) {
    const std::wstring_view folder = FolderOf(path);
    return EqualsIgnoringCase(folder, HostFolder) || EqualsIgnoringCase(folder, SavedXtrFolder());
}

void TellNotInstalled(HWND owner, const DropOutcome& outcome) {
    if (!outcome.notInstalled.empty()) {
        Ui::ShowMessage(owner, L"These dropped files were not installed:\n" + outcome.notInstalled, AppTitle,
                        MB_OK | MB_ICONINFORMATION);
    }
}

void TidyLeftoversAndTell(HWND owner) {
    const Tidied tidied = TidyLeftovers();
    for (const Leftover& stuck : tidied.stuck) {
        if (Ui::ShowMessage(owner,
                            L"Quillon found unsaved work of an earlier run, " + stuck.known +
                                L", that cannot go to the Recycle Bin. Delete it for good?",
                            AppTitle, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES) {
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
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(HostFolder)) {
        Ui::ShowMessage(
            owner, L"Quillon cannot read the UI-View32 folder " + HostFolder + L": " + problem->reason + L".",
            AppTitle, MB_OK | MB_ICONSTOP);
    }
}
