#pragma once
// Every change of XTR files made on the user's behalf is decided and made here: the editor's OK, Set Active
// and Set Inactive, Delete, files dropped on the main window, and Refresh. What is written, moved, replaced
// or put into the Recycle Bin, and what the user must be asked first, is settled in this one place. The
// windows gather what the user chose and pass themselves as the owner of the questions and of the message
// that tells why a change failed; both go through Ui::ShowMessage. Each operation is told the entry it acts
// on and says how it ended; none rescans: the command that called it rescans once, at its end.
//
// Nothing the user did not ask for is lost: a file of someone else's is replaced only after the user said Yes
// to a question naming it, and then goes into the Recycle Bin; a file that another program changed since the
// scan read it is saved over only when the user says so.
#include "rules/XtrRecord.h"

#include <windows.h>

#include <string>
#include <vector>

// How a change the user asked for ended.
enum class ChangeEnd {
    Done,     // the files are as the user asked
    Declined, // the user said No to a question: nothing was changed
    Failed,   // a step failed: it was reported, and the user told why
};

// The editor's OK. edited holds the dialog's values; loaded is the entry as the dialog loaded it, or null
// when the dialog was opened by New. Only what the user changed is written. Done leaves the entry in the
// folder its active flag names, under its file name.
ChangeEnd SaveEditedEntry(HWND owner, const XtrRecord& edited, const XtrRecord* loaded);

// Set Active or Set Inactive: the chosen entry's file (a copy of the entry as
// it was chosen) into the other folder.
ChangeEnd MoveEntry(HWND owner, const XtrRecord& chosen);

// Delete, once the user has said Yes: the chosen entry's file into the Recycle Bin.
ChangeEnd DeleteEntry(HWND owner, const XtrRecord& chosen);

// Files dropped on the main window: each XTR file from elsewhere becomes an active entry, a copy of its
// bytes; anything else dropped is ignored, and so are the catalogue's own files.
struct DropOutcome {
    std::wstring firstInstalled; // in drop order; empty when none was
    std::wstring notInstalled;   // a line per file skipped or not installed, and why
};
DropOutcome InstallDroppedFiles(HWND owner, const std::vector<std::wstring>& paths);
// The file lies in HostFolder or in SavedXTR itself.
bool IsInCatalogueFolder(const std::wstring& path);
// One message names every file that was skipped or could not be installed, and why.
void TellNotInstalled(HWND owner, const DropOutcome& outcome);

// Start-up: what an earlier run left half done goes back to its name when it may be the only copy, else
// into the Recycle Bin, and is named once; what the bin cannot take is asked about at every start.
void TidyLeftoversAndTell(HWND owner);

// After Refresh: a UI-View32 folder that is gone lists nothing, which is no
// failure to the scan; to the user who asked for the list it is, and is told.
void TellFolderGone(HWND owner);
