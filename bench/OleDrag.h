#pragma once
// Files dragged as a Windows file manager drags them: an OLE drag (DoDragDrop)
// of a data object offering CF_HDROP, the mouse moved and released through
// SendInput, from this process onto another's window.
#include <windows.h>

#include <string>
#include <vector>

struct OleDragEnd {
    HRESULT result = E_FAIL; // DoDragDrop's
    DWORD effect = 0;        // what the target said it did
    double releasedAt = 0;   // Now() when the button went up over the target
    bool asked = false;      // whether the target asked for the files
};

// Drags the files from `from` to `to` (screen points) and drops them there.
OleDragEnd OleDrag(const std::vector<std::wstring>& files, POINT from, POINT to);
