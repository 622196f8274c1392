#pragma once
// Scratch folders, files and registry for the tests and the benchmarks alike:
// no test framework here. A failure to set something up throws
// std::runtime_error naming what failed (a test reports it as its failure).
#include "system/Win32.h"

#include <string>
#include <string_view>
#include <vector>

namespace scratch {

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempFolder {
  public:
    explicit TempFolder(std::wstring_view prefix = L"QuillonTest");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

  private:
    std::wstring path_;
};

// Deletes a folder with everything in it, read-only files too.
void RemoveTree(const std::wstring& path);

// Writes bytes to a new file, or over the file of that name.
void WriteBytes(const std::wstring& path, std::string_view bytes);
// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
// The file's lines split at CR LF, without the line ends.
std::vector<std::string> LinesOf(const std::wstring& path);
// Every name in a folder (files and folders, hidden ones too) as the file
// system spells it, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder);
bool FileExists(const std::wstring& path); // an ordinary file, not a folder
bool FolderExists(const std::wstring& path);

// Maps HKEY_CURRENT_USER to an empty scratch key for the object's lifetime, so
// that no real user setting is read or written.
class ScratchRegistry {
  public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // Stores UI-View32's folder setting as UI-View32 does.
    void SetHostFolderSetting(const std::wstring& value);

  private:
    std::wstring scratchPath_;
    UniqueKey scratch_;
};

} // namespace scratch
