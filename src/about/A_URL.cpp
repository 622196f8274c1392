#include "about/A_URL.h"

#include "toolkit/Ui.h"

void OpenUrl(std::wstring_view address) {
    Ui::ShellRequest request;
    request.verb = L"open";
    request.file = address;
    request.showCommand = SW_SHOWNORMAL;
    Ui::ExecuteShell(request);
}
