#pragma once
// Opening a web address in the user's default browser.
#include <string_view>

// Hands the address to the shell's "open" verb. Whether a browser actually
// opens is not checked: with no program registered for the address nothing
// happens, and nothing is shown or logged.
void OpenUrl(std::wstring_view address);
