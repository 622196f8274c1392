#pragma once
// How the editor reads what the user chose and typed.
#include <string>
#include <string_view>

// True when the text, in upper case, is exactly "YES"; the empty text, "NO"
// and anything else are false.
bool YesNo(std::wstring_view text) noexcept;

// The program path as typed. One pair of quotes around the whole of it, as
// Explorer's "Copy as path" puts there, is not part of the path; any other
// quote is kept.
std::wstring_view TypedProgramPath(std::wstring_view text) noexcept;

// The file name as typed, made an XTR file's: UI-View32 reads only files
// ending in ".xtr", so ".xtr" is added to a name that does not end in it in
// any letter case. An empty box names no file and stays empty.
std::wstring TypedFileName(std::wstring_view text);
