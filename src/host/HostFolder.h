#pragma once
// Where UI-View32 lives, as UI-View32 itself records it in the registry.
#include <string>

// The UI-View32 program folder without a trailing "\"; set once at start-up.
extern std::wstring HostFolder;

inline constexpr wchar_t kSavedXtrName[] = L"SavedXTR";
inline constexpr wchar_t kHostSettingKey[] =
    L"Software\\VB and VBA Program Settings\\Peak Systems\\UI-View32";
inline constexpr wchar_t kHostSettingValue[] = L"Program Folder";

// HostFolder + "\SavedXTR": where inactive XTR files are kept.
std::wstring SavedXtrFolder();

// The stored folder setting as it stands, or empty text when it is missing
// (a failed read also tells the user why).
std::wstring ReadHostFolderSetting();

// Sets HostFolder and makes sure SavedXTR exists. Returns false when the
// UI-View32 folder cannot be located: the program then ends.
bool CheckEnv();
