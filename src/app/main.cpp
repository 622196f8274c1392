#include "app/Form1.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);

    Form1 form;
    if (!form.Create(instance)) {
        return 0; // the UI-View32 folder could not be located; the user has been told
    }
    ::ShowWindow(form.Window(), showCommand);
    ::UpdateWindow(form.Window());
    return form.RunMessageLoop();
}
