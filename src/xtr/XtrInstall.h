#pragma once
// XTR files that come from elsewhere (dropped on the main window): checked,
// then copied into the UI-View32 folder as active entries.
#include "xtr/TemporaryFiles.h"

#include <optional>
#include <string>

// Why the file at path is no XTR file Quillon can take, in a few words for
// the user ("it is empty"); nothing when it is one: a name Quillon accepts,
// an ordinary file (not a folder, not hidden or system) that can be read, not
// empty, with a line end (CR) within its first 64 KB.
std::optional<std::wstring> WhyNotAnXtrFile(const std::wstring& path);

// The file lies in HostFolder or in SavedXTR itself.
bool IsInCatalogueFolder(const std::wstring& path);

// Copies the file at path into HostFolder byte for byte, complete and flushed
// under a temporary name, then moves a file of its name out of SavedXTR and
// puts the copy in the place of a file of its name in HostFolder in one step:
// the entry is then listed once, as active. Files of its name that were there
// go as `replacing` says (the caller has asked the user): into the Recycle Bin,
// put back should a later step fail, or with ForGood deleted for good. Raises
// the error of the step that failed; Err::NoRecycleBin leaves both folders
// as they were.
void InstallXtrFile(const std::wstring& path, Replacing replacing = Replacing::IntoTheBin);
