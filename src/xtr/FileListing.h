#pragma once
// The one directory listing of the program: by pattern, normal files only.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Calls onFile with the name (without folder) of each normal file matching
// pattern, in the order the platform lists them, until onFile returns false.
// Folders, hidden and system files are skipped. A pattern ending in "\" lists
// that whole folder. A folder or file that does not exist gives an empty
// listing, and so does a folder that is a file; any other failure raises its
// error number.
void ListNormalFiles(const std::wstring& pattern, const std::function<bool(std::wstring_view name)>& onFile);

// The names of every normal file of folder whose extension is ".xtr", in listing order.
std::vector<std::wstring> ListXtrFiles(const std::wstring& folder);

// The listing of pattern returns at least one normal file.
bool AnyNormalFile(const std::wstring& pattern);
