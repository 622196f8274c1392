#include "app/Form1.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);

    Form1 form;
    if (!form.Create(instance)) {
        return 1; // start-up ended the program, and told the user why
    }
    ::ShowWindow(form.Window(), showCommand);
    ::UpdateWindow(form.Window());
    return form.RunMessageLoop();
}
