#include "toolkit/Ui.h"

#include "system/Win32.h"

#include <commdlg.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace {
// A message box of the program is modal for the whole program: while it is up,
// none of the program's windows takes input, not only its owner (an editor left
// open would otherwise go on saving while a question about another file waits).
// The system box disables its owner itself and enables it again before it
// closes, so that the owner, not another program, gets the activation back:
// the owner is left to it.
class ProgramDisabled {
  public:
    explicit ProgramDisabled(HWND leftToTheBox) : leftToTheBox_(leftToTheBox) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &ProgramDisabled::Disable,
                            reinterpret_cast<LPARAM>(this));
    }
    ~ProgramDisabled() {
        for (HWND window : disabled_) {
            if (::IsWindow(window)) {
                ::EnableWindow(window, TRUE);
            }
        }
    }
    ProgramDisabled(const ProgramDisabled&) = delete;
    ProgramDisabled& operator=(const ProgramDisabled&) = delete;

  private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        auto* scope = reinterpret_cast<ProgramDisabled*>(self);
        if (window != scope->leftToTheBox_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            scope->disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND leftToTheBox_;
    std::vector<HWND> disabled_;
};

// Defined here rather than linked from oleacc, which would load with the program.
constexpr CLSID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kDescriptionProperty = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
} // namespace

namespace Ui {
Hooks& TestHooks() {
    static Hooks hooks;
    return hooks;
}

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags) {
    // The answering test sees the program as a person would: every window disabled.
    const ProgramDisabled modal(TestHooks().showMessage ? nullptr : ::GetAncestor(owner, GA_ROOT));
    if (TestHooks().showMessage) {
        return TestHooks().showMessage(owner, text, title, flags);
    }
    return ::MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(title).c_str(), flags);
}

UINT ShowPopupMenu(HMENU menu, int x, int y, HWND owner) {
    if (TestHooks().showPopupMenu) {
        return TestHooks().showPopupMenu(menu, x, y, owner);
    }
    return static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
}

std::optional<std::wstring> ChooseFileToOpen(const OpenFileRequest& request) {
    const ProgramDisabled modal(TestHooks().chooseFileToOpen ? nullptr
                                                             : ::GetAncestor(request.owner, GA_ROOT));
    if (TestHooks().chooseFileToOpen) {
        return TestHooks().chooseFileToOpen(request);
    }
    // The common dialog wants its filter as NUL-separated pairs ending in two NULs.
    std::wstring filter = request.filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.append(2, L'\0');

    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = request.owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    const auto getOpenFileName =
        SystemFunction<decltype(::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (getOpenFileName == nullptr) {
        RaiseLastError();
    }
    if (!getOpenFileName(&dialog)) {
        return std::nullopt;
    }
    return std::wstring(file.data());
}

INT_PTR ExecuteShell(const ShellRequest& request) {
    if (TestHooks().executeShell) {
        return TestHooks().executeShell(request);
    }
    const auto shellExecute = SystemFunction<decltype(::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) {
        return SE_ERR_DLLNOTFOUND;
    }
    return reinterpret_cast<INT_PTR>(
        shellExecute(nullptr, request.verb.c_str(), request.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

void DescribeAccessibleItem(HWND window, long child, std::wstring_view text) {
    if (TestHooks().describeAccessibleItem) {
        return TestHooks().describeAccessibleItem(window, child, text);
    }
    // The system's annotation service, made on first use on the program's one
    // thread and kept until the program ends; null when there is none.
    static UniqueObject<IAccPropServices> services([]() -> IAccPropServices* {
        const auto initialize = SystemFunction<decltype(::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
        const auto create = SystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
        if (initialize == nullptr || create == nullptr) {
            return nullptr;
        }
        const HRESULT started = initialize(nullptr, COINIT_APARTMENTTHREADED);
        void* made = nullptr;
        if ((FAILED(started) && started != RPC_E_CHANGED_MODE) ||
            FAILED(create(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                          &made))) {
            return nullptr;
        }
        return static_cast<IAccPropServices*>(made);
    }());
    if (!services) {
        return;
    }
    const auto object = static_cast<DWORD>(OBJID_CLIENT);
    const auto item = static_cast<DWORD>(child);
    MSAAPROPID property = kDescriptionProperty;
    const HRESULT result = text.empty() ? services.get()->ClearHwndProps(window, object, item, &property, 1)
                                        : services.get()->SetHwndPropStr(window, object, item, property,
                                                                         std::wstring(text).c_str());
    if (result == E_NOTIMPL) {
        services.reset(); // a system without it is not asked again
    }
}
} // namespace Ui
