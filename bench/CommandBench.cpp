// Times every command of Quillon from another process, as a user gives them:
// the messages that the menu choices and keys become (WM_COMMAND with the menus'
// ids, a key to the list), clicks on a question's buttons (BM_CLICK), text typed
// into the editor's boxes (WM_SETTEXT), and files dragged in by a file manager.
// Each time runs from the action until the window has handled it (a mark posted
// to the list after the action is seen), shows the result (the editor showing the
// entry chosen, the grid's row count or cell, the question gone) and has nothing
// left to paint. Every command runs at 30 and at 3,000 entries, each run after
// one plain rescan (F5) that is timed too, and what the command changed on disk
// is put back after each run, so that each starts from the same folder.
//
// The drop: first as a Windows file manager makes it, an OLE drag from this
// process (OleDrag.h). Under Wine 8 that does not reach a window that takes
// files by WS_EX_ACCEPTFILES (DoDragDrop ends DRAGDROP_S_DROP with no effect,
// the data never asked for); then the files come as a file manager drags them
// under Linux, by XDND: the X client xdnd_drop, which the bench starts through
// /bin/sh. The bench says which it used. The time runs from the button's
// release, or from the moment the X client sends XdndDrop.
#include "BenchFolder.h"
#include "OleDrag.h"
#include "Outside.h"
#include "editor/Form2.h"
#include "rules/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int kSizes[] = {30, 3000};
constexpr int kMinRuns = 10;
constexpr int kDropped = 10;
constexpr double kTimeoutMs = 60000;
constexpr wchar_t kEditorClass[] = L"QuillonForm2";
constexpr wchar_t kQuestionClass[] = L"#32770";
// The commands that the goal for Yes names.
constexpr char kOk[] = "OK after a change";
constexpr char kEdit[] = "Edit (Enter)";
constexpr char kYes[] = "Save question: Yes";
constexpr char kDrop[] = "Drop of 10 XTR files";

// The Unix path of a file, for the X client (as wide text: the command line is).
std::wstring UnixPath(const std::wstring& path) {
    using Convert = char*(__cdecl*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (unix == nullptr) {
        Fail(L"no Unix path for " + path + L": the drop needs Wine");
    }
    std::wstring result(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, unix, -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, unix, -1, result.data(), static_cast<int>(result.size()));
    result.pop_back();
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

// Quillon started on a folder of n entries, and what the commands act on:
// the first two entries of the grid (active), and the last (inactive).
class Session {
  public:
    Session(int n, const std::wstring& quillon)
        : entries(n), folder(n, L"QuillonCommands"), setting(folder.host + L"\\"), program(Start(quillon, n)),
          list(::FindWindowExW(program.window, nullptr, WC_LISTVIEWW, nullptr), program.process.get()) {
        first = Entry(0);
        second = Entry(1);
        last = Entry(list.Count() - 1);
        if (first.folder != folder.host || second.folder != folder.host || last.folder != folder.saved) {
            Fail(L"the grid does not list the active entries first");
        }
        incoming = folder.root / L"Incoming";
        ::CreateDirectoryW(incoming.c_str(), nullptr);
        for (int i = 0; i < kDropped; ++i) {
            dropped.push_back(L"dropped" + std::to_wstring(i) + L".xtr");
            scratch::WriteBytes(incoming + L"\\" + dropped.back(), scratch::ReadBytes(first.path));
        }
    }
    ~Session() { Close(program); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    struct Listed {
        std::wstring title, fileName, folder, path;
        std::string bytes;
    };
    Listed Entry(int item) const {
        const std::wstring fileName = list.Cell(item, 1);
        const std::wstring& in = list.Cell(item, 5) == L"True" ? folder.host : folder.saved;
        return {list.Cell(item, 0), fileName, in, in + L"\\" + fileName,
                scratch::ReadBytes(in + L"\\" + fileName)};
    }

    HWND Editor() const { return VisibleWindowOf(program.threadId, kEditorClass); }
    HWND Question() const { return VisibleWindowOf(program.threadId, kQuestionClass); }
    std::wstring EditorBox(int id) const {
        HWND editor = Editor();
        return editor != nullptr ? TextOf(::GetDlgItem(editor, id)) : L"";
    }
    bool EditorShows(const Listed& entry) const {
        return EditorBox(Form2::kTxtFilename) == entry.fileName && EditorBox(Form2::kTxtTitle) == entry.title;
    }
    bool FocusedShows(const std::wstring& fileName, int column, const std::wstring& text) const {
        const int item = list.Focused();
        return item >= 0 && list.Cell(item, 1) == fileName && list.Cell(item, column) == text;
    }

    // Each action gives the moment it was made: just before its message was posted.
    double Command(int id) const {
        const double at = Now();
        ::PostMessageW(program.window, WM_COMMAND, id, 0);
        return at;
    }
    double Click(HWND window, int id) const {
        HWND button = ::GetDlgItem(window, id);
        const double at = Now();
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return at;
    }
    double Key(HWND window, WPARAM key) const {
        const double at = Now();
        ::PostMessageW(window, WM_KEYDOWN, key, 1);
        ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
        return at;
    }

    // Waits, untimed, for what prepares a command or puts its work back.
    void WaitFor(const wchar_t* what, const std::function<bool()>& done) const {
        const double start = Now();
        while (!done()) {
            if (Now() - start > kTimeoutMs) {
                HWND question = Question();
                // 0xFFFF: a message box's text.
                Fail(std::wstring(L"waited a minute for ") + what +
                     (question != nullptr ? L"; a message box says: " + TextOf(::GetDlgItem(question, 0xFFFF))
                                          : L""));
            }
            ::Sleep(1);
        }
    }

    // Milliseconds from the action (act returns when it was made) until the
    // window has handled it and shows the result (answered), and until it has
    // painted too.
    struct Timing {
        double answered = 0, painted = 0;
    };
    Timing Timed(const std::function<double()>& act, const std::function<bool()>& shown) {
        const DWORD mark = ++marks_;
        const double start = act();
        // The list's hover time serves no list without hot tracking: a mark that changes nothing.
        ::PostMessageW(list.Window(), LVM_SETHOVERTIME, 0, mark);
        auto handled = [&] {
            DWORD_PTR seen = 0;
            return ::SendMessageTimeoutW(list.Window(), LVM_GETHOVERTIME, 0, 0, SMTO_NORMAL,
                                         static_cast<UINT>(kTimeoutMs), &seen) != 0 &&
                   seen == mark;
        };
        Timing timing;
        WaitFor(L"a command's result", [&] {
            if (timing.answered == 0 && handled() && shown()) {
                timing.answered = Now() - start;
            }
            return timing.answered > 0 && AllPainted(program.threadId);
        });
        timing.painted = Now() - start;
        return timing;
    }

    // The editor open on the entry, the title typed over: typing not saved yet.
    void Typed(const Listed& entry, const std::wstring& title) const {
        list.Select(EntryItem(entry));
        Command(IDM_POPUP1_EDIT);
        WaitFor(L"the editor", [&] { return EditorShows(entry); });
        DWORD_PTR done = 0;
        ::SendMessageTimeoutW(::GetDlgItem(Editor(), Form2::kTxtTitle), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(title.c_str()), SMTO_NORMAL,
                              static_cast<UINT>(kTimeoutMs), &done);
    }
    // The typing left in the editor, another entry chosen: the question waits.
    void Asked(const Listed& chosen) const {
        list.Select(EntryItem(chosen));
        Key(list.Window(), VK_RETURN);
        WaitFor(L"the save question", [&] { return Question() != nullptr; });
    }
    void CloseEditor() const {
        if (HWND editor = Editor()) {
            ::PostMessageW(editor, WM_CLOSE, 0, 0);
        }
        WaitFor(L"the editor to close", [&] { return Editor() == nullptr; });
    }
    int EntryItem(const Listed& entry) const {
        for (int item : {0, 1, list.Count() - 1}) {
            if (list.Cell(item, 1) == entry.fileName) {
                return item;
            }
        }
        Fail(L"the grid does not show " + entry.fileName);
    }

    POINT ListMiddle() const {
        RECT place{};
        ::GetWindowRect(list.Window(), &place);
        return {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    }
    std::vector<std::wstring> DroppedPaths() const {
        std::vector<std::wstring> paths;
        for (const std::wstring& name : dropped) {
            paths.push_back(incoming + L"\\" + name);
        }
        return paths;
    }
    // Whether an OLE drag from this process reaches the window: one is tried,
    // and what it did is said.
    bool OleDropArrives() {
        const POINT to = ListMiddle();
        const OleDragEnd end = OleDrag(DroppedPaths(), {to.x - 100, to.y}, to);
        const double start = Now();
        while (list.Count() != entries + kDropped && Now() - start < 2000) {
            ::Sleep(10);
        }
        const bool arrived = list.Count() == entries + kDropped;
        std::printf("  the drop: an OLE drag from another process (DoDragDrop of CF_HDROP, SendInput) %s "
                    "(DoDragDrop 0x%08lx, effect %lu, the data %sasked for)%s\n",
                    arrived ? "reached the window" : "did not reach it",
                    static_cast<unsigned long>(end.result), end.effect, end.asked ? "" : "never ",
                    arrived ? "" : ": XDND from an X client instead");
        if (arrived) {
            DropEnded();
            Timed([&] { return Key(program.window, VK_F5); }, [&] { return list.Count() == entries; });
        }
        return arrived;
    }
    // The ten files dragged in and dropped on the list's middle; when they were dropped.
    double Drop() {
        if (dropsByOle) {
            const POINT to = ListMiddle();
            return OleDrag(DroppedPaths(), {to.x - 100, to.y}, to).releasedAt;
        }
        const POINT at = ListMiddle();
        const std::wstring log = folder.root / L"drop.log";
        ::DeleteFileW(log.c_str());
        std::wstring command = L"sh -c \"exec '" + UnixPath(BesideBench(L"xdnd_drop")) + L"' " +
                               std::to_wstring(at.x) + L" " + std::to_wstring(at.y);
        for (const std::wstring& name : dropped) {
            command += L" '" + UnixPath(incoming + L"\\" + name) + L"'";
        }
        command += L" 2>'" + UnixPath(log) + L"' >/dev/null\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started)) {
            Fail(L"cannot start the XDND client: " + SystemErrorText(::GetLastError()));
        }
        dropper_.reset(started.hProcess);
        UniqueFile thread(started.hThread);
        double sent = 0;
        WaitFor(L"the XDND client's drop", [&] {
            sent = Now();
            if (scratch::ReadBytes(log).find("status: accept=1") != std::string::npos) {
                return true;
            }
            if (::WaitForSingleObject(dropper_.get(), 0) == WAIT_OBJECT_0) {
                Fail(L"the XDND client ended without dropping: " + FromAnsi(scratch::ReadBytes(log)));
            }
            return false;
        });
        return sent;
    }
    void DropEnded() {
        if (dropper_) {
            ::WaitForSingleObject(dropper_.get(), 10000);
            dropper_.reset();
        }
        for (const std::wstring& name : dropped) {
            ::DeleteFileW((folder.host + L"\\" + name).c_str());
        }
    }

    const int entries;
    const HostFolderFixture folder;
    const HostSetting setting;
    Started program;
    const RemoteList list;
    Listed first, second, last;
    std::wstring incoming;
    std::vector<std::wstring> dropped;
    bool dropsByOle = false;
    std::wstring typed; // the title typed in this run

  private:
    DWORD marks_ = 1000;
    UniqueFile dropper_;
};

void PutBack(const Session::Listed& entry) { scratch::WriteBytes(entry.path, entry.bytes); }

void MoveBack(const std::wstring& from, const Session::Listed& entry) {
    if (!::MoveFileW(from.c_str(), entry.path.c_str())) {
        Fail(L"cannot move " + from + L" back: " + SystemErrorText(::GetLastError()));
    }
}

// One command: what puts the program where it starts (untimed), the action
// and the result it waits for (timed), and what puts its work back (untimed).
struct Command {
    const char* name;
    std::function<void(Session&)> prepare;
    std::function<double(Session&)> act;
    std::function<bool(Session&)> shown;
    std::function<void(Session&)> putBack;
};

std::vector<Command> Commands() {
    auto none = [](Session&) {};
    auto closeEditor = [](Session& s) { s.CloseEditor(); };
    auto typeInFirst = [](Session& s) {
        s.Typed(s.first, s.typed);
        s.Asked(s.second);
    };
    auto answer = [](int id) { return [id](Session& s) { return s.Click(s.Question(), id); }; };
    auto command = [](int id) { return [id](Session& s) { return s.Command(id); }; };
    auto select = [](Session::Listed Session::*entry) {
        return [entry](Session& s) { s.list.Select(s.EntryItem(s.*entry)); };
    };
    return {
        {"F5", none, [](Session& s) { return s.Key(s.program.window, VK_F5); }, [](Session&) { return true; },
         none},
        {kOk, [](Session& s) { s.Typed(s.first, s.typed); },
         [](Session& s) { return s.Click(s.Editor(), IDOK); },
         [](Session& s) { return s.Editor() == nullptr && s.FocusedShows(s.first.fileName, 0, s.typed); },
         [](Session& s) { PutBack(s.first); }},
        {"View", select(&Session::first), command(IDM_POPUP1_VIEW),
         [](Session& s) { return s.EditorShows(s.first); }, closeEditor},
        {kEdit, select(&Session::first), [](Session& s) { return s.Key(s.list.Window(), VK_RETURN); },
         [](Session& s) { return s.EditorShows(s.first); }, closeEditor},
        {"New", none, command(IDM_POPUP1_NEW),
         [](Session& s) { return s.EditorBox(Form2::kTxtFilename) == NewEntryBoxes{}.fileName; },
         closeEditor},
        {kYes, typeInFirst, answer(IDYES),
         [](Session& s) {
             return s.Question() == nullptr && s.EditorShows(s.second) &&
                    s.FocusedShows(s.first.fileName, 0, s.typed);
         },
         [](Session& s) {
             s.CloseEditor();
             PutBack(s.first);
         }},
        {"Save question: No", typeInFirst, answer(IDNO),
         [](Session& s) { return s.Question() == nullptr && s.EditorShows(s.second); }, closeEditor},
        {"Save question: Cancel", typeInFirst, answer(IDCANCEL),
         [](Session& s) {
             return s.Question() == nullptr && s.EditorBox(Form2::kTxtTitle) == s.typed &&
                    s.EditorBox(Form2::kTxtFilename) == s.first.fileName;
         },
         closeEditor},
        {"Set Inactive", select(&Session::first), command(IDM_POPUP1_SETINACTIVE),
         [](Session& s) { return s.FocusedShows(s.first.fileName, 5, L"False"); },
         [](Session& s) { MoveBack(s.folder.saved + L"\\" + s.first.fileName, s.first); }},
        {"Set Active", select(&Session::last), command(IDM_POPUP1_SETACTIVE),
         [](Session& s) { return s.FocusedShows(s.last.fileName, 5, L"True"); },
         [](Session& s) { MoveBack(s.folder.host + L"\\" + s.last.fileName, s.last); }},
        {"Delete: Yes",
         [](Session& s) {
             s.list.Select(s.EntryItem(s.first));
             s.Command(IDM_POPUP1_DELETE);
             s.WaitFor(L"the delete question", [&] { return s.Question() != nullptr; });
         },
         answer(IDYES), [](Session& s) { return s.Question() == nullptr && s.list.Count() == s.entries - 1; },
         [](Session& s) { PutBack(s.first); }},
        {kDrop, none, [](Session& s) { return s.Drop(); },
         [](Session& s) { return s.list.Count() == s.entries + kDropped; },
         [](Session& s) { s.DropEnded(); }},
    };
}

// Runs of the command, each after one timed F5: its times and the ratio of each
// to the F5 before it (a pair, under the same load). A first run of each,
// untimed, warms the caches.
struct Figures {
    std::vector<double> ms, answeredMs, rescanMs, ratios;
};

Figures Measure(Session& session, const Command& command, int runs) {
    Figures figures;
    const Command refresh = Commands().front();
    for (int run = 0; run <= runs; ++run) {
        session.typed = L"Typed in run " + std::to_wstring(run);
        const double rescan =
            session.Timed([&] { return refresh.act(session); }, [] { return true; }).painted;
        command.prepare(session);
        const Session::Timing timing =
            session.Timed([&] { return command.act(session); }, [&] { return command.shown(session); });
        command.putBack(session);
        if (run > 0) {
            figures.ms.push_back(timing.painted);
            figures.answeredMs.push_back(timing.answered);
            figures.rescanMs.push_back(rescan);
            figures.ratios.push_back(timing.painted / rescan);
        }
    }
    return figures;
}
} // namespace

// quillon_command_bench [runs [only [Quillon.exe]]]: runs per command (10 at
// least); only: the commands whose name starts so ("" for all); the program
// driven, by default the one of this build tree.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(kMinRuns, _wtoi(argv[1])) : kMinRuns;
    const std::string only = argc > 2 ? ToAnsi(argv[2]) : "";
    const std::wstring quillon = argc > 3 && *argv[3] != L'\0' ? argv[3] : BesideBench(L"..\\Quillon.exe");
    try {
        for (int n : kSizes) {
            Session session(n, quillon);
            // The goal: no command above 1.3 times OK at a few entries, nor 1.3 times a rescan at many.
            const bool many = n >= 1000;
            std::printf(
                "%d entries, %d runs of each command, each after one F5: medians of the time until painted "
                "(ms), its range, the time until the window answered with the result, the F5s, and the "
                "median of the pair ratios; goal: %s at most 1.3\n",
                n, runs, many ? "/F5" : "/OK");
            std::printf("  %-22s %8s %17s %8s %8s %6s %6s\n", "command", "ms", "range ms", "answered",
                        "F5 ms", "/F5", "/OK");
            std::fflush(stdout);
            double okMs = 0, editMs = 0, yesMs = 0;
            for (const Command& command : Commands()) {
                if (!only.empty() && std::string(command.name).rfind(only, 0) != 0) {
                    continue;
                }
                if (command.name == std::string(kDrop)) {
                    session.dropsByOle = session.OleDropArrives();
                }
                const Figures figures = Measure(session, command, runs);
                const double ms = Median(figures.ms);
                const double perRescan = Median(figures.ratios);
                const std::string name = command.name;
                okMs = name == kOk ? ms : okMs;
                editMs = name == kEdit ? ms : editMs;
                yesMs = name == kYes ? ms : yesMs;
                const double perOk = okMs > 0 ? ms / okMs : 0;
                const bool above = many ? perRescan > 1.3 : perOk > 1.3;
                std::printf("  %-22s %8.1f %8.1f-%8.1f %8.1f %8.1f %6.2f ", command.name, ms,
                            *std::min_element(figures.ms.begin(), figures.ms.end()),
                            *std::max_element(figures.ms.begin(), figures.ms.end()),
                            Median(figures.answeredMs), Median(figures.rescanMs), perRescan);
                char okRatio[16] = "";
                if (okMs > 0) {
                    std::snprintf(okRatio, sizeof(okRatio), "%.2f", perOk);
                }
                std::printf("%6s%s\n", okRatio, above && (many || okMs > 0) ? "  above the goal" : "");
                std::fflush(stdout);
            }
            if (okMs > 0 && editMs > 0 && yesMs > 0) {
                std::printf("  Yes against OK + Edit: %.1f / (%.1f + %.1f) = %.2f (goal: at most 1.2)\n",
                            yesMs, okMs, editMs, yesMs / (okMs + editMs));
            }
        }
    } catch (const BenchFailure& failure) {
        std::fprintf(stderr, "command bench: %ls\n", failure.what.c_str());
        return 1;
    } catch (const std::exception& failure) { // a folder could not be made
        std::fprintf(stderr, "command bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
