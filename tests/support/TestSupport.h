#pragma once
// What the tests share: scratch folders, a private registry, answers for the
// modal loops, the log, and a bounded message pump.
#include "support/Scratch.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace testsupport {

using namespace scratch;
using Names = std::vector<std::wstring>; // of files and folders, as NamesIn gives them

// Holds a file open without sharing, as a program that has it in use.
UniqueFile HoldOpen(const std::wstring& path);

// Text to and from the running system's ANSI code page by the system's own
// calls, not the program's helpers: what a test expects of a file or the log
// whatever the code page.
std::string AnsiBytes(std::wstring_view text);
std::wstring AnsiText(std::string_view bytes);

// Answers message boxes, popup menus and file dialogs, and records what was asked;
// records shell requests without running them, and what a screen reader would
// be told (Wine does not take it).
struct ShownMessage {
    std::wstring text;
    std::wstring title;
    UINT flags = 0;
};
class ModalAnswers {
  public:
    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    std::vector<ShownMessage> messages;
    std::deque<int>
        messageReplies; // used in order; when empty IDOK, IDNO for Yes/No, IDCANCEL for Yes/No/Cancel
    // Runs while each message box is up, before it is answered: what the user
    // could do meanwhile.
    std::function<void()> whileMessageShown;

    int popupCount = 0;
    std::vector<std::pair<std::wstring, bool>> popupItems; // caption, enabled, of the last menu shown
    UINT popupChoice = 0;

    std::vector<Ui::OpenFileRequest> fileRequests;
    std::deque<std::optional<std::wstring>> fileReplies; // nullopt: cancelled

    // Recorded instead of run: no test starts a browser.
    std::vector<Ui::ShellRequest> shellRequests;
    std::vector<std::tuple<HWND, long, std::wstring>> descriptions; // window, item, text
};

// Points the log at a file of its own in a scratch folder.
class LogCapture {
  public:
    LogCapture();
    std::wstring Path() const;
    std::vector<std::string> Lines() const; // CR LF split, without the line ends
    std::string Text() const;
    // "N in module LABEL: DESCRIPTION" of each error the log received.
    std::vector<std::string> Reports() const;

  private:
    TempFolder folder_;
};

// The Recycle Bin as a test sees it. Under Wine it is the desktop's trash,
// $XDG_DATA_HOME/Trash, which ctest points into the build tree (emptied here
// as the view is made and ends); on Windows it is the drive's real bin.
class RecycleBinView {
  public:
    RecycleBinView();
    RecycleBinView(const RecycleBinView&) = delete;
    RecycleBinView& operator=(const RecycleBinView&) = delete;

    // False under Wine without XDG_DATA_HOME (a test program started by
    // hand): the trash would be the user's own.
    bool Usable() const { return !wine_ || !trash_.empty(); }
    // The bytes of the file the bin received from `path` (a full path), taken
    // out of the bin again so that the test leaves nothing there; nullopt when
    // the bin holds no such file.
    std::optional<std::string> Take(const std::wstring& path) const;
    // Under Wine, the trash folder as a Windows path; empty on Windows.
    const std::wstring& WineTrash() const { return trash_; }

  private:
    bool wine_;
    std::wstring trash_; // under Wine, as a Windows path
};

// The window's whole text.
std::wstring ShownText(HWND window);
// A caption as it reads, without its access-key mark: "Set &Active" reads "Set Active".
std::wstring WithoutAccessKey(std::wstring caption);
// The letter after a caption's access-key mark, in upper case; 0 when it has none.
wchar_t AccessKeyOf(std::wstring_view caption);

// A length of the forms as designed, in twips (1/1440 inch: 15 to the pixel at
// 96 dots per inch), in pixels at dpi.
inline int TwipsAt(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// Where the control lies in the window's client area.
RECT PlacedIn(HWND window, HWND control);
// Dots per inch of the screen along LOGPIXELSX or LOGPIXELSY, as the system tells them.
int SystemDpi(int axis = LOGPIXELSY);

// Handles pending window messages, a bounded number of rounds.
void PumpMessages(int rounds = 20);

} // namespace testsupport
