#pragma once
// XTR files that come from elsewhere (dropped on the main window): checked,
// then copied into the UI-View32 folder as active entries.
#include "xtr/FileChange.h"

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
// under a temporary name, which takes the place of a file of its name there
// in one change with a file of its name in SavedXTR going: the entry is then
// listed once, as active. Files of its name that were there go as replacing
// says (the caller has asked the user). Raises the error of the step that
// failed, both folders as they were.
void InstallXtrFile(const std::wstring& path, const Replacing& replacing = {});
