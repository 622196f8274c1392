#include "xtr/EntryChanges.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/RecycleBin.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/Catalogue.h"
#include "xtr/FileOps.h"
#include "xtr/GridFill.h"
#include "xtr/XtrFile.h"
#include "xtr/XtrInstall.h"

namespace {
constexpr wchar_t kSaveLabel[] = L"Form2.cmdOK_Click";
constexpr wchar_t kDropLabel[] = L"Form1.Form_DragDrop";

// "in the UI-View32 folder", "in SavedXTR": where a file of the catalogue lies.
std::wstring InFolderOf(const std::wstring& path) {
    return EqualsIgnoringCase(FolderOf(path), SavedXtrFolder()) ? std::wstring(L"in ") + kSavedXtrName
                                                                : L"in the UI-View32 folder";
}

// The one replace question, naming every file it would replace, one in each
// folder at the most (Yes/No, No the default, no icon): true for Yes.
bool AskToReplace(HWND owner, const std::wstring& fileName, const std::vector<std::wstring>& paths) {
    std::wstring where = L" " + InFolderOf(paths.front());
    if (paths.size() > 1) {
        where += L" and " + InFolderOf(paths.back());
    }
    const wchar_t* which = paths.size() == 1 ? L"it" : L"both";
    return Ui::ShowMessage(
               owner, fileName + L" already exists" + where + L". Do you want to replace " + which + L"?",
               AppTitle, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void TellFailure(HWND owner, const std::wstring& fileName, const wchar_t* notDone, std::int16_t error) {
    Ui::ShowMessage(owner,
                    L"The XTR file " + fileName + L" could not be " + notDone + L": " +
                        std::wstring(ErrorDescription(error)),
                    AppTitle, MB_OK | MB_ICONSTOP);
}

// The files of that name that stand in the given folders and are not the
// entry's own file (ownPath; empty for a new entry).
std::vector<std::wstring> FilesInTheWay(const std::wstring& fileName,
                                        const std::vector<std::wstring>& folders,
                                        const std::wstring& ownPath) {
    std::vector<std::wstring> paths;
    // Such a name is refused before anything is written (a device such as CON "exists" everywhere).
    if (!IsPlainFileName(fileName)) {
        return paths;
    }
    for (const std::wstring& folder : folders) {
        const std::wstring path = JoinPath(folder, fileName);
        if (IsFileAt(path) && !EqualsIgnoringCase(path, ownPath)) {
            paths.push_back(path);
        }
    }
    return paths;
}

// What the user changed in the editor; texts compared exactly, letter case counts.
struct EditMarks {
    bool active, content, name;
    bool Any() const { return active || content || name; }
};
EditMarks MarksOf(const XtrRecord& edited, const XtrRecord& loaded) {
    return {edited.active != loaded.active,
            edited.autoStop != loaded.autoStop || edited.autoStart != loaded.autoStart ||
                edited.programDrive != loaded.programDrive || edited.programDir != loaded.programDir ||
                edited.programFile != loaded.programFile || edited.title != loaded.title,
            edited.fileName != loaded.fileName};
}

ChangeEnd SaveNewEntry(HWND owner, const XtrRecord& edited) {
    const std::wstring folder = CatalogueFolder(edited.active);
    const std::vector<std::wstring> inTheWay = FilesInTheWay(edited.fileName, {folder}, {});
    if (!inTheWay.empty() && !AskToReplace(owner, edited.fileName, inTheWay)) {
        return ChangeEnd::Declined;
    }
    XtrRecord entry = edited;
    entry.folder = folder;
    const TrapResult written = ContentChanged(entry, ReadHostFolderSetting(), Replacing::IntoTheBin);
    if (!written) {
        TellFailure(owner, edited.fileName, L"saved", written.Error());
        return ChangeEnd::Failed;
    }
    return ChangeEnd::Done;
}

// What a save of an existing entry does, once the user has answered every question.
TrapResult ApplyEdit(const XtrRecord& edited, const XtrRecord& loaded, const FileNow& now, bool overChange,
                     const std::wstring& targetFolder, const std::vector<std::wstring>& inTheWay) {
    const EditMarks changed = MarksOf(edited, loaded);
    // Read once for this save: the program path is stored against one folder.
    const std::wstring setting = ReadHostFolderSetting();
    XtrRecord entry = edited;
    entry.folder = loaded.folder;
    // The lines the user left as they were keep the bytes of the file as it is
    // now, read whole; where it cannot be read, of what the scan kept of it.
    entry.fileSize = entry.lastWrite = 0; // the bytes below are a whole file
    if (now.state == FileNow::State::Read) {
        entry.bytes = now.bytes;
        entry.unreadable = false;
    } else {
        if (loaded.fileSize != 0 && (changed.content || changed.name)) {
            Raise(
                Err::PermissionDenied); // in use, and more to it than the scan kept: it cannot be saved over
        }
        entry.bytes = loaded.bytes;
        entry.unreadable = loaded.unreadable;
    }

    if (overChange) {
        // The dialog's version goes where the dialog says; whatever stood there,
        // the file it was loaded from and any file of its name in the other
        // folder (the user was asked about each) go into the Recycle Bin.
        entry.folder = targetFolder;
        const TrapResult written = ContentChanged(entry, setting, Replacing::IntoTheBin);
        if (!written) {
            return written;
        }
        const std::wstring target = JoinPath(targetFolder, edited.fileName);
        std::vector<std::wstring> leftOver = inTheWay;
        leftOver.push_back(JoinPath(loaded.folder, loaded.fileName));
        for (const std::wstring& path : leftOver) {
            if (!EqualsIgnoringCase(path, target)) {
                MoveToRecycleBin(path);
            }
        }
        return written;
    }
    if (!changed.content && !changed.name) {
        XtrRecord moved = loaded; // moved with its bytes unchanged
        moved.active = edited.active;
        return ActiveChanged(moved);
    }
    if (!changed.active && !changed.name) {
        return ContentChanged(entry, setting);
    }
    // Written into the new state's folder under the new name; the old file goes
    // only once the new one exists.
    entry.folder = targetFolder;
    return FilenameChanged(entry, loaded, setting);
}
} // namespace

ChangeEnd SaveEditedEntry(HWND owner, const XtrRecord& edited, const XtrRecord* loaded) {
    if (loaded == nullptr) {
        return SaveNewEntry(owner, edited);
    }
    if (!MarksOf(edited, *loaded).Any()) {
        return ChangeEnd::Done; // nothing to write
    }
    const std::wstring oldPath = JoinPath(loaded->folder, loaded->fileName);
    const FileNow now = ReadFileNow(oldPath);
    // Another program, a second Quillon among them, may have changed, moved or
    // removed the file since it was read: the user decides whether their version wins.
    const bool overChange = ChangedSince(now, *loaded);
    if (overChange &&
        Ui::ShowMessage(
            owner,
            loaded->fileName +
                L" was changed or removed by another program since Quillon read it. Do you want to "
                L"save your version?",
            AppTitle, MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return ChangeEnd::Declined;
    }
    const std::wstring targetFolder =
        edited.active != loaded->active ? CatalogueFolder(edited.active) : loaded->folder;
    std::vector<std::wstring> folders = {targetFolder};
    // Saved over a change, the entry must not end both active and inactive.
    if (overChange) {
        folders.push_back(CatalogueFolder(!EqualsIgnoringCase(targetFolder, HostFolder)));
    }
    const std::vector<std::wstring> inTheWay = FilesInTheWay(edited.fileName, folders, oldPath);
    if (!inTheWay.empty() && !AskToReplace(owner, edited.fileName, inTheWay)) {
        return ChangeEnd::Declined;
    }
    TrapResult saved;
    const TrapResult applied = Trap(
        kSaveLabel, [&] { saved = ApplyEdit(edited, *loaded, now, overChange, targetFolder, inTheWay); });
    if (!saved || !applied) {
        TellFailure(owner, edited.fileName, L"saved", !saved ? saved.Error() : applied.Error());
        return ChangeEnd::Failed;
    }
    return ChangeEnd::Done;
}

ChangeEnd MoveEntry(HWND owner, const XtrRecord& chosen) {
    const std::vector<std::wstring> inTheWay =
        FilesInTheWay(chosen.fileName, {CatalogueFolder(!chosen.active)}, {});
    if (!inTheWay.empty() && !AskToReplace(owner, chosen.fileName, inTheWay)) {
        return ChangeEnd::Declined;
    }
    // A file another program took away while the question waited is not moved:
    // the rescan that ends the command shows the disk.
    XtrRecord moved = chosen;
    moved.active = !chosen.active;
    const TrapResult done = ActiveChanged(moved);
    if (!done) {
        TellFailure(owner, chosen.fileName, chosen.active ? L"made inactive" : L"made active", done.Error());
        return ChangeEnd::Failed;
    }
    return ChangeEnd::Done;
}

ChangeEnd DeleteEntry(HWND owner, const XtrRecord& chosen) {
    const TrapResult deleted = DeleteXTR(chosen);
    if (!deleted) {
        TellFailure(owner, chosen.fileName, L"deleted", deleted.Error());
        return ChangeEnd::Failed;
    }
    return ChangeEnd::Done;
}

DropOutcome InstallDroppedFiles(HWND owner, const std::vector<std::wstring>& paths) {
    DropOutcome outcome;
    std::wstring& notInstalled = outcome.notInstalled;
    for (const std::wstring& path : paths) {
        const std::wstring fileName(FileNameOf(path));
        if (!HasXtrExtension(fileName) || IsInCatalogueFolder(path)) {
            continue;
        }
        if (const std::optional<std::wstring> why = WhyNotAnXtrFile(path)) {
            notInstalled += L"\n" + fileName + L": " + *why;
            continue;
        }
        // Installed as active, the entry is listed once: a file of its name in either folder goes.
        const std::vector<std::wstring> inTheWay =
            FilesInTheWay(fileName, {HostFolder, SavedXtrFolder()}, {});
        if (!inTheWay.empty() && !AskToReplace(owner, fileName, inTheWay)) {
            notInstalled +=
                L"\n" + fileName +
                (inTheWay.size() == 1 ? L": skipped, the file of that name already there was kept"
                                      : L": skipped, the files of that name already there were kept");
            continue;
        }
        if (const TrapResult installed = Trap(kDropLabel, [&] { InstallXtrFile(path); }); !installed) {
            notInstalled += L"\n" + fileName + L": it could not be copied (" +
                            std::wstring(ErrorDescription(installed.Error())) + L")";
        } else if (outcome.firstInstalled.empty()) {
            outcome.firstInstalled = fileName;
        }
    }
    return outcome;
}

void TellNotInstalled(HWND owner, const DropOutcome& outcome) {
    if (!outcome.notInstalled.empty()) {
        Ui::ShowMessage(owner, L"These dropped files were not installed:\n" + outcome.notInstalled, AppTitle,
                        MB_OK | MB_ICONINFORMATION);
    }
}

void RefreshCatalogue(HWND owner) {
    RescanAndRebuild();
    // A folder that is gone lists nothing, which is no failure to the scan; to
    // the user who asked for the list it is.
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(HostFolder)) {
        Ui::ShowMessage(
            owner, L"Quillon cannot read the UI-View32 folder " + HostFolder + L": " + problem->reason + L".",
            AppTitle, MB_OK | MB_ICONSTOP);
    }
}
