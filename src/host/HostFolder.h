#pragma once
// Where UI-View32 lives, as UI-View32 itself records it in the registry.
#include <optional>
#include <string>
#include <string_view>

// The UI-View32 program folder without a trailing "\"; set once at start-up.
extern std::wstring HostFolder;

inline constexpr wchar_t kSavedXtrName[] = L"SavedXTR";
inline constexpr wchar_t kHostSettingKey[] =
    L"Software\\VB and VBA Program Settings\\Peak Systems\\UI-View32";
inline constexpr wchar_t kHostSettingValue[] = L"Program Folder";

// HostFolder (or host) + "\SavedXTR": where inactive XTR files are kept.
std::wstring SavedXtrFolder(std::wstring_view host = HostFolder);

// Where the XTR file of an entry of that active state lives: HostFolder or SavedXTR.
std::wstring CatalogueFolder(bool active);

// Why no folder stands at path: the error number for the log and the reason
// in a message's words; nothing when a folder does.
struct NoFolder {
    int number = 0;
    std::wstring reason;
};
std::optional<NoFolder> WhyNoFolderAt(const std::wstring& path);

// The folder setting as Windows reads the folder it names: made a full path
// (against the current folder, should it be relative), trailing blanks and
// dots dropped; empty text when it is missing (a failed read also tells the
// user why). Program paths are joined to it and shortened by it.
std::wstring ReadHostFolderSetting();

// Sets HostFolder, from the setting as ReadHostFolderSetting gives it, and
// makes sure SavedXTR exists. Returns false when the UI-View32 folder cannot
// be located: the program then ends. A setting that leads to no folder, and
// a SavedXTR that cannot be made a folder, are reported and told, and
// start-up goes on; a setting that names no folder is told as it is stored.
bool CheckEnv();
