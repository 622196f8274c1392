#pragma once
// What the program's windows share, so that each form holds only its own
// controls: one window procedure, a class registered once, a frame sized from
// its client area in twips at the screen's resolution, and, for the two
// dialog-like windows, the focus kept across activation and Enter and Esc
// routed to their default and cancel commands.
#include "system/Win32.h"
#include "toolkit/Screen.h"

#include <exception>
#include <string>
#include <vector>

// Logs a failure that escaped a window's handlers under "<form name>.WindowProc".
void ReportEscapedFailure(const wchar_t* formName, std::exception_ptr failure) noexcept;

// The window procedure of every window class of the program. The object is
// stored at WM_NCCREATE and forgotten at WM_NCDESTROY, so a late message never
// reaches a dead object, and no exception crosses into the system: it is
// logged instead. Window names itself in kFormName and provides
// Attach(HWND), OnMessage(message, wParam, lParam) and OnFinalMessage(), the
// last thing that happens to it for that window (it may delete itself).
template <class Window>
LRESULT CALLBACK WindowProcFor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->Attach(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        ReportEscapedFailure(Window::kFormName, std::current_exception());
        result = ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        try {
            self->OnFinalMessage();
        } catch (...) {
            ReportEscapedFailure(Window::kFormName, std::current_exception());
        }
    }
    return result;
}

// A top-level window of the program: its class and its frame.
struct FormFrame {
    const wchar_t* className = nullptr;
    HICON icon = nullptr;
    UINT classStyle = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    SIZE clientTwips{};      // the client area, in twips
    HMENU menuBar = nullptr; // owned by the window once it exists
};

// Registers the frame's class once per process and creates its window; self
// reaches the window procedure at WM_NCCREATE.
void CreateFormWindow(const FormFrame& frame, WNDPROC procedure, void* self);

// Base of the three forms: creates the (hidden) window of Derived, placed
// where the system puts new windows, its client area sized at the screen's
// resolution, and holds its handle from WM_NCCREATE on.
template <class Derived> class Form {
  public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Window() const { return window_; }

  protected:
    Form() = default;
    ~Form() = default;

    // False when the window could not be created.
    bool CreateForm(const FormFrame& frame) {
        CreateFormWindow(frame, &WindowProcFor<Derived>, static_cast<Derived*>(this));
        return window_ != nullptr;
    }

    // A message box of the program disables every window of it: a command that
    // still arrives then (a click sent to a button) is not the user's.
    bool TakesInput() const { return window_ != nullptr && ::IsWindowEnabled(window_); }

    HWND window_ = nullptr;

  private:
    template <class> friend LRESULT CALLBACK WindowProcFor(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND window) { window_ = window; }
};

// The focus of a modeless dialog-like window: a plain window forgets which
// control had it, so a keyboard user coming back would start over.
class FocusMemory {
  public:
    // For WM_ACTIVATE: remembers the focused control on the way out and gives
    // the focus back on the way in, to fallback when that control is gone or disabled.
    void OnActivate(HWND window, bool active, HWND fallback);
    // The window is gone: so are its controls.
    void Forget() { lastFocus_ = nullptr; }

  private:
    HWND lastFocus_ = nullptr;
};

// Enter and Esc reach a window's commands as IDOK and IDCANCEL through dialog
// navigation; what a dialog-like window does for each.
enum class DialogKey { None, Default, Cancel };
inline DialogKey DialogKeyOf(int commandId) {
    return commandId == IDOK       ? DialogKey::Default
           : commandId == IDCANCEL ? DialogKey::Cancel
                                   : DialogKey::None;
}

// WM_NEXTDLGCTL, which dialog navigation sends to a dialog-like window as to a
// dialog: for a label's access key, first with the label itself (lParam
// nonzero, the control in wParam), then on to the next control of the Tab order
// (lParam 0; wParam nonzero for the previous one). The focus goes there, and a
// box gets its whole text selected, as in a dialog.
void MoveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam);

// A font of a form: face, size in hundredths of a point (825 is 8.25
// points) and weight, made for the dots per inch it is used at.
struct FormFont {
    const wchar_t* face = L"MS Sans Serif";
    int hundredthPoints = 825;
    int weight = FW_NORMAL;
};

// A control's place in twips: left and top in its window's client area, width and height.
struct TwipsBox {
    int left = 0, top = 0, width = 0, height = 0;
    int Bottom() const { return top + height; }
};

// One control of a form, placed in twips as the form was designed, in the
// order of creation (the Tab order). A label wraps its text at its width; a
// control without a class is placed but created by the form itself.
struct FormControl {
    int id = -1;
    const wchar_t* className = nullptr;
    std::wstring text;
    DWORD style = 0; // WS_CHILD and WS_VISIBLE go with it
    DWORD exStyle = 0;
    TwipsBox twips;
    FormFont font;
    bool label = false;
};

// Where a form's controls go at dpi, in pixels, and the client area they
// need. Positions and sizes are as designed wherever the text fits; a label
// whose text needs more height grows downward, and every control below it,
// and the client area, move down with it.
struct FormLayout {
    std::vector<RECT> placements;
    SIZE client{};
};
FormLayout LayOutForm(const std::vector<FormControl>& controls, SIZE clientTwips, int dpi);

// The height in pixels a label of the given width needs for text in font at dpi.
int LabelTextHeight(const std::wstring& text, const FormFont& font, int dpi, int width);

// The fonts of one window, each made once for its dots per inch.
class FormFonts {
  public:
    HFONT Get(const FormFont& font, int dpi);

  private:
    struct Made {
        FormFont font;
        int dpi;
        UniqueGdiObject object;
    };
    std::vector<Made> made_;
};

// Creates the controls of parent as laid out, each in its font; the handles
// come back in the order of controls (null for those the form creates itself).
std::vector<HWND> CreateFormControls(HWND parent, const std::vector<FormControl>& controls,
                                     const FormLayout& layout, FormFonts& fonts, int dpi);

// Gives the window the client area size (a layout's, when a label grew).
void SetClientSize(HWND window, SIZE client);
