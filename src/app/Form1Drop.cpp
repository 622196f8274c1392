// Files dropped on the main window from Explorer (under Wine, from the X
// desktop's drag and drop).
#include "app/Form1.h"
#include "host/HostFolder.h"
#include "rules/HostPaths.h"
#include "rules/Trap.h"
#include "rules/XtrFormat.h"
#include "system/VersionInfo.h"
#include "xtr/EntryChanges.h"

namespace {
constexpr wchar_t kLabel[] = L"Form1.Form_DragDrop";

// The paths of a drop, which is then given back to the system however the
// reading ends. shell32 comes only with the first drop: loaded with the
// program it would slow every start.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop) {
    const auto finish = SystemFunction<decltype(::DragFinish)>(L"shell32.dll", "DragFinish");
    if (finish == nullptr) {
        RaiseLastError();
    }
    const struct GivenBack {
        decltype(&::DragFinish) finish;
        HDROP drop;
        ~GivenBack() { finish(drop); }
    } givenBack{finish, drop};
    const auto query = SystemFunction<decltype(::DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    if (query == nullptr) {
        RaiseLastError();
    }
    std::vector<std::wstring> paths;
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(query(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(query(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(std::move(path));
    }
    return paths;
}
} // namespace

void Form1::Form_DragDrop(HDROP drop) {
    std::vector<std::wstring> paths;
    Trap(kLabel, [&] { paths = TakeDroppedPaths(drop); });
    // While a question of the program waits every window of it is disabled: a drop is not the answer.
    if (paths.empty() || !TakesInput()) {
        return;
    }
    Trap(kLabel, [&] {
        const std::wstring_view name = FileNameOf(paths[0]);
        if (paths.size() == 1 && name.size() > 4 &&
            EqualsIgnoringCase(name.substr(name.size() - 4), L".exe") && IsFileAt(paths[0])) {
            OpenEditorForProgram(paths[0]);
        } else {
            // A dropped file replaces the entries of its name: an editor open on
            // one of them closes first, asking before its changes go.
            for (const std::wstring& path : paths) {
                XtrRecord dropped;
                dropped.fileName = FileNameOf(path);
                for (const bool active : {true, false}) {
                    dropped.active = active;
                    // One dropped from a catalogue folder is not installed: it replaces nothing.
                    if (!IsInCatalogueFolder(path) && form2_.Holds(dropped) && !form2_.CloseAsking()) {
                        return;
                    }
                }
            }
            const DropOutcome outcome = InstallDroppedFiles(window_, paths);
            Rescan(outcome.firstInstalled.empty() ? CurrentPlace()
                                                  : CataloguePlace{HostFolder, outcome.firstInstalled, 0});
            TellNotInstalled(window_, outcome);
        }
    });
}

// A program dropped alone: the editor opens as New, filled in for it, and
// nothing is written until OK. An open editor's changes are dropped only when
// the user says so.
void Form1::OpenEditorForProgram(const std::wstring& path) {
    const std::wstring_view fileName = FileNameOf(path);
    const std::wstring name(fileName.substr(0, fileName.size() - 4)); // without ".exe"
    NewEntryBoxes boxes;
    // The program's own description, without the blanks around it; else its name.
    const std::wstring description = ReadVersionString(path, L"FileDescription");
    const size_t first = description.find_first_not_of(L" \t\r\n");
    boxes.title = first == std::wstring::npos
                      ? name
                      : description.substr(first, description.find_last_not_of(L" \t\r\n") - first + 1);
    boxes.fileName = name + L".xtr";
    // Shortened as the editor shows a program inside the UI-View32 folder.
    const ProgramPathPieces pieces = SplitProgramPath(path);
    boxes.program = ProgramPathForFileOf({pieces.drive, pieces.dir, pieces.file}, ReadHostFolderSetting());

    OpenEditor(-1, true, boxes);
}
