#pragma once
// What the program's windows share, so that each form holds only its own
// controls and commands: one window procedure, a class registered once, a
// frame sized from its client area in twips at the screen's resolution, the
// controls laid out and made from the form's table of them, WM_COMMAND read
// once, OK and Cancel (Enter, Esc, the close box) routed, the focus kept
// across activation, and the window's end.
#include "rules/Trap.h"
#include "system/Win32.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// WM_NEXTDLGCTL, which dialog navigation sends to a dialog-like window as to a
// dialog: for a label's access key, first with the label itself (lParam
// nonzero, the control in wParam), then on to the next control of the Tab order
// (lParam 0; wParam nonzero for the previous one). The focus goes there, and a
// box gets its whole text selected, as in a dialog.
void MoveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam);

// Converts twips (the classic forms' unit, 1/1440 inch) to pixels at the given dots per inch.
int TwipsToPixels(int twips, int dpi);

// The screen's dots per inch; 96 when it cannot be read.
int ScreenDpi();

// The screen's device context, and a memory one as the screen's.
inline void ReleaseScreenDC(HDC dc) { ::ReleaseDC(nullptr, dc); }
using UniqueScreenDC = UniqueHandle<HandleTraits<HDC, ReleaseScreenDC, NoHandle<HDC>>>;
using UniqueMemoryDC = UniqueHandle<HandleTraits<HDC, ::DeleteDC, NoHandle<HDC>>>;

// What is drawn with a DC (the font and other objects selected into it, its
// colours and modes) is put back as it was when the scope ends, so that the
// objects can be freed and the DC's owner draws on as before.
class SavedDC {
  public:
    explicit SavedDC(HDC dc) : dc_(dc), state_(::SaveDC(dc)) {}
    ~SavedDC() { ::RestoreDC(dc_, state_); } // a state never saved (0) restores nothing
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

  private:
    HDC dc_;
    int state_;
};

// A font of a form: face, size in hundredths of a point (825 is 8.25
// points, so that the classic form sizes stay exact) and weight, made for
// the dots per inch it is used at.
struct FormFont {
    const wchar_t* face = L"MS Sans Serif";
    int hundredthPoints = 825;
    int weight = FW_NORMAL;
};
HFONT CreateFormFont(const FormFont& font, int dpi);

// The rectangle DrawText needs for text in font (DT_CALCRECT with format),
// starting from width wide (words wrap there with DT_WORDBREAK); empty when
// it cannot be measured.
RECT MeasuredText(std::wstring_view text, HFONT font, UINT format, int width = 0);

// A control's place in twips: left and top in its window's client area, width and height.
struct TwipsBox {
    int left = 0, top = 0, width = 0, height = 0;
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

// Where a form's controls go at dpi, in pixels, and the client area they
// need. Positions and sizes are as designed wherever the text fits (measured
// in the fonts the window uses); a label whose text needs more height grows
// downward, and every control below it, and the client area, move down with it.
struct FormLayout {
    std::vector<RECT> placements;
    SIZE client{};
};
FormLayout LayOutForm(const std::vector<FormControl>& controls, SIZE clientTwips, FormFonts& fonts, int dpi);

// Lays the controls out at dpi, creates them in window, each in its font, and
// gives the window the layout's client area (taller when a label grew).
FormLayout CreateFormControls(HWND window, const std::vector<FormControl>& controls, SIZE clientTwips,
                              FormFonts& fonts, int dpi);

// A top-level window of the program: its class and its frame.
struct FormFrame {
    const wchar_t* className = nullptr;
    HICON icon = nullptr;
    UINT classStyle = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HMENU menuBar = nullptr; // owned by the window once it exists
};

// Registers the frame's class once per process and creates its window, its
// client area clientTwips large; self reaches the window procedure at WM_NCCREATE. Returns the system's error
// code when it made no window (0 when the window itself refused to be made).
unsigned long CreateFormWindow(const FormFrame& frame, SIZE clientTwips, WNDPROC procedure, void* self);

// A window that could not be made: logged under "<form name>.Form_Load" and told.
void ReportWindowNotMade(const wchar_t* formName, unsigned long code) noexcept;

// Base of the three forms. Derived names itself in kFormName and gives its
// controls as designed (Controls(), kClientTwips); it handles what it needs
// of the hooks below, each of which has a default here that it hides with its
// own (Form<Derived> is its friend):
//   bool OnCreate(const FormLayout& layout, int dpi)  the controls are made; false refuses the window
//   void OnOK(), void OnCancel()                      IDOK and IDCANCEL: Enter, a default button, Esc, and
//                                                     OnCancel the close box too (default: the window goes)
//   void OnCommand(int id, int code)                  any other WM_COMMAND: a menu, an accelerator, a control
//   std::optional<LRESULT> OnNotify(NMHDR&)           WM_NOTIFY; nothing when not handled
//   HWND FocusFallback()                              where the keyboard goes when the window is activated
//                                                     and no control of it had it (null: left alone)
//   void OnFinalMessage()                             the window is gone (the object may delete itself)
//   LRESULT OnMessage(message, wParam, lParam)        everything else
// While a question of the program is up, every window of it is disabled: a
// command that still arrives then (a click sent to a button) is not the
// user's, and none of the command hooks hears of it.
template <class Derived> class Form {
  public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Window() const { return window_; }
    // The one open window of this form, or null: every form of the program is single.
    static Derived* Instance() { return instance_; }
    // A control of the window by its id; null while there is no window.
    HWND Control(int id) const { return window_ != nullptr ? ::GetDlgItem(window_, id) : nullptr; }

  protected:
    Form() = default;
    // An object that goes before its window (as the program ends, or a test
    // lets go of it) takes the window along quietly: no message reaches the
    // half-gone object, nor its controls' objects.
    ~Form() {
        if (window_ != nullptr) {
            ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            ::DestroyWindow(window_);
        }
        Forget();
    }

    // Creates the (hidden) window, placed where the system puts new windows.
    // False when it was not made (that is logged and told) or it refused.
    bool CreateForm(const FormFrame& frame) {
        attached_ = false;
        const unsigned long code =
            CreateFormWindow(frame, Derived::kClientTwips, &WindowProcFor, static_cast<Derived*>(this));
        if (window_ == nullptr && !attached_) {
            ReportWindowNotMade(Derived::kFormName, code);
        }
        return window_ != nullptr;
    }

    bool TakesInput() const { return window_ != nullptr && ::IsWindowEnabled(window_); }

    bool OnCreate(const FormLayout&, int) { return true; }
    void OnOK() {}
    void OnCancel() { ::DestroyWindow(window_); }
    void OnCommand(int, int) {}
    std::optional<LRESULT> OnNotify(NMHDR&) { return std::nullopt; }
    HWND FocusFallback() const { return nullptr; }
    void OnFinalMessage() {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    FormFonts fonts_;

  private:
    // The window procedure of every form. The object is stored at WM_NCCREATE
    // and forgotten at WM_NCDESTROY, so a late message never reaches a dead
    // object, and no exception crosses into the system: it is logged instead.
    static LRESULT CALLBACK WindowProcFor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->window_ = window;
            self->attached_ = true;
            instance_ = self;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (self == nullptr) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        LRESULT result = 0;
        try {
            result = self->Dispatch(message, wParam, lParam);
        } catch (...) {
            ReportTrapped(Derived::kFormName, std::current_exception(), nullptr, L".WindowProc");
            result = ::DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->Forget();
            try {
                self->OnFinalMessage();
            } catch (...) {
                ReportTrapped(Derived::kFormName, std::current_exception(), nullptr, L".WindowProc");
            }
        }
        return result;
    }

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
        Derived& self = static_cast<Derived&>(*this);
        switch (message) {
        case WM_CREATE: {
            const int dpi = ScreenDpi();
            const FormLayout layout =
                CreateFormControls(window_, Derived::Controls(), Derived::kClientTwips, fonts_, dpi);
            return self.OnCreate(layout, dpi) ? 0 : -1;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (!TakesInput()) {
                return 0;
            }
            if (id == IDOK && code == BN_CLICKED) {
                self.OnOK();
            } else if (id == IDCANCEL && code == BN_CLICKED) {
                self.OnCancel();
            } else {
                self.OnCommand(id, code);
            }
            return 0;
        }
        case WM_CLOSE:
            if (TakesInput()) {
                self.OnCancel();
            }
            return 0;
        case WM_NOTIFY:
            if (const std::optional<LRESULT> result = self.OnNotify(*reinterpret_cast<NMHDR*>(lParam))) {
                return *result;
            }
            break;
        case WM_ACTIVATE:
            // The focus of a modeless dialog-like window: a plain window forgets which
            // control had it, so a keyboard user coming back would start over. It is
            // remembered on the way out and given back on the way in, to the fallback
            // when that control is gone or disabled.
            if (HWND fallback = self.FocusFallback()) {
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focus = ::GetFocus();
                    if (focus != nullptr && ::IsChild(window_, focus)) {
                        lastFocus_ = focus;
                    }
                } else {
                    const bool usable =
                        lastFocus_ != nullptr && ::IsWindow(lastFocus_) && ::IsWindowEnabled(lastFocus_);
                    ::SetFocus(usable ? lastFocus_ : fallback);
                }
                return 0;
            }
            break;
        case DM_GETDEFID:
            if (Control(IDOK) != nullptr) {
                return MAKELRESULT(IDOK, DC_HASDEFID);
            }
            break;
        case WM_NEXTDLGCTL:
            MoveDialogFocus(window_, wParam, lParam);
            return 0;
        default:
            break;
        }
        return self.OnMessage(message, wParam, lParam);
    }

    // The window is gone: so are its controls, its fonts and its focus.
    void Forget() {
        window_ = nullptr;
        fonts_ = {};
        lastFocus_ = nullptr;
        if (instance_ == static_cast<Derived*>(this)) {
            instance_ = nullptr;
        }
    }

    HWND lastFocus_ = nullptr;
    bool attached_ = false;
    static inline Derived* instance_ = nullptr;
};
