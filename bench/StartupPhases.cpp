// Quillon's own start-up, timed from inside: this program is Quillon.exe's
// wWinMain and every line it runs, linked from the same library, and the
// linker (--wrap, bench/CMakeLists.txt) routes the start-up's calls from one
// of Quillon's files into another through the marks below. No line of
// Quillon's changes and Quillon.exe reads nothing new. The wrappers carry the
// calls' linker names: a changed signature fails the link rather than letting
// a mark lie. One thing is replaced: the message loop, which runs until the
// program is idle, then writes the marks and ends.
#include "Phases.h"
#include "app/Form1.h"
#include "diagnostics/Common.h"
#include "host/HostFolder.h"
#include "xtr/Leftovers.h"

#if defined(__i386__)
#define LINKER_NAME(name) "_" name // the target's prefix
#define MEMBER __attribute__((thiscall))
#else
#define LINKER_NAME(name) name
#define MEMBER
#endif

namespace {
PhaseMarks* marks = nullptr;

// Marks the call's start (unless null) and its return.
template <class Call> decltype(auto) Marked(const char* before, const char* after, Call call) {
    if (before != nullptr) {
        marks->Mark(before);
    }
    struct AtReturn {
        const char* phase;
        ~AtReturn() { marks->Mark(phase); }
    } atReturn{after};
    return call();
}
} // namespace

// The calls wrapped, by the names the mangling gives them (bench/CMakeLists.txt
// reads these lines for the linker's --wrap options).
#define kCreate "_ZN5Form16CreateEP11HINSTANCE__"
#define kControls "_Z18CreateFormControlsP6HWND__RKSt6vectorI11FormControlSaIS2_EE7tagSIZER9FormFontsi"
#define kGridCreate "_ZN4Grid6CreateEP6HWND__iRK7tagRECTP7HFONT__"
#define kInitialize "_ZN6Common10InitializeEv"
#define kCheckEnv "_Z8CheckEnvv"
#define kTidy "_Z13TidyLeftoversRKNSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEEES6_"
#define kSetting "_Z21ReadHostFolderSettingB5cxx11v"
#define kShow "_ZN4Grid4ShowESt6vectorI10GridColumnSaIS1_EEii"
#define kLoop "_ZN5Form114RunMessageLoopEv"

bool MEMBER RealCreate(Form1* self, HINSTANCE instance) __asm__(LINKER_NAME("__real_" kCreate));
bool MEMBER WrapCreate(Form1* self, HINSTANCE instance) __asm__(LINKER_NAME("__wrap_" kCreate));
bool WrapCreate(Form1* self, HINSTANCE instance) {
    return Marked("common controls", "window made", [&] { return RealCreate(self, instance); });
}

FormLayout RealControls(HWND, const std::vector<FormControl>&, SIZE, FormFonts&,
                        int) __asm__(LINKER_NAME("__real_" kControls));
FormLayout WrapControls(HWND, const std::vector<FormControl>&, SIZE, FormFonts&,
                        int) __asm__(LINKER_NAME("__wrap_" kControls));
FormLayout WrapControls(HWND window, const std::vector<FormControl>& controls, SIZE client, FormFonts& fonts,
                        int dpi) {
    return Marked("frame made", "controls made",
                  [&] { return RealControls(window, controls, client, fonts, dpi); });
}

bool MEMBER RealGridCreate(Grid*, HWND, int, const RECT&, HFONT) __asm__(LINKER_NAME("__real_" kGridCreate));
bool MEMBER WrapGridCreate(Grid*, HWND, int, const RECT&, HFONT) __asm__(LINKER_NAME("__wrap_" kGridCreate));
bool WrapGridCreate(Grid* self, HWND parent, int id, const RECT& placement, HFONT font) {
    return Marked(nullptr, "grid made", [&] { return RealGridCreate(self, parent, id, placement, font); });
}

void RealInitialize() __asm__(LINKER_NAME("__real_" kInitialize));
void WrapInitialize() __asm__(LINKER_NAME("__wrap_" kInitialize));
void WrapInitialize() {
    Marked(nullptr, "log header", [] { RealInitialize(); });
}

bool RealCheckEnv() __asm__(LINKER_NAME("__real_" kCheckEnv));
bool WrapCheckEnv() __asm__(LINKER_NAME("__wrap_" kCheckEnv));
bool WrapCheckEnv() {
    return Marked("caption set", "folder setting, SavedXTR", [] { return RealCheckEnv(); });
}

Tidied RealTidy(const std::wstring&, const std::wstring&) __asm__(LINKER_NAME("__real_" kTidy));
Tidied WrapTidy(const std::wstring&, const std::wstring&) __asm__(LINKER_NAME("__wrap_" kTidy));
Tidied WrapTidy(const std::wstring& host, const std::wstring& saved) {
    return Marked(nullptr, "leftovers tidied", [&] { return RealTidy(host, saved); });
}

std::wstring RealSetting() __asm__(LINKER_NAME("__real_" kSetting));
std::wstring WrapSetting() __asm__(LINKER_NAME("__wrap_" kSetting));
std::wstring WrapSetting() {
    return Marked(nullptr, "setting read again", [] { return RealSetting(); });
}

void MEMBER RealShow(Grid*, std::vector<GridColumn>, int, int) __asm__(LINKER_NAME("__real_" kShow));
void MEMBER WrapShow(Grid*, std::vector<GridColumn>, int, int) __asm__(LINKER_NAME("__wrap_" kShow));
void WrapShow(Grid* self, std::vector<GridColumn> columns, int rows, int stretchCol) {
    Marked("scanned", "grid filled", [&] { RealShow(self, std::move(columns), rows, stretchCol); });
}

int MEMBER WrapLoop(Form1*) __asm__(LINKER_NAME("__wrap_" kLoop));
int WrapLoop(Form1*) {
    marks->Mark("shown and painted");
    return marks->RunUntilIdle();
}

extern "C" {
int WINAPI __real_wWinMain(HINSTANCE, HINSTANCE, PWSTR, int);
int WINAPI __wrap_wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    static PhaseMarks startup(commandLine);
    marks = &startup;
    marks->Mark("first line");
    return __real_wWinMain(instance, previous, commandLine, show);
}
}
