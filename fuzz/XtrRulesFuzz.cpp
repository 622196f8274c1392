// Feeds arbitrary bytes to the XTR text rules and the path and name rules,
// and checks what must hold for any input. The bytes are widened one to one
// (Latin-1), as an 8-bit code page widens them.
//
// The input is read twice: once whole, as the text of an XTR file, and once
// cut at each LF into fields for the writer and the path routines: title,
// program path, UI-View32 folder setting; every field is also tried as a
// file name, a Boolean text and a path to split. An LF ends no line of an
// XTR file, so the fields may still hold CRs.
#include "rules/DayCount.h"
#include "rules/EditorInput.h"
#include "rules/GridText.h"
#include "rules/HostPaths.h"
#include "rules/LogFormat.h"
#include "rules/XtrFormat.h"
#include "rules/XtrNames.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::wstring Widen(const std::uint8_t* data, size_t size) {
    std::wstring text(size, L'\0');
    for (size_t i = 0; i < size; ++i) {
        text[i] = static_cast<wchar_t>(data[i]);
    }
    return text;
}

std::wstring SwapAsciiCase(std::wstring_view text) {
    std::wstring swapped(text);
    for (wchar_t& c : swapped) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        } else if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return swapped;
}

// Reads a file's text as ReadXTR does: lines in order, the first four taken.
XtrRecord ReadText(std::wstring_view text, const XtrRecord& before = {}) {
    XtrRecord entry = before;
    int marker = 0;
    int lineNumber = 0;
    for (std::wstring_view line : SplitXtrLines(text)) {
        ApplyXtrLine(entry, ++lineNumber, line, marker);
        if (lineNumber >= 4) {
            break;
        }
    }
    return entry;
}

void CheckLines(std::wstring_view text) {
    const std::vector<std::wstring_view> lines = SplitXtrLines(text);
    size_t characters = 0;
    for (std::wstring_view line : lines) {
        Require(line.find(L'\r') == std::wstring_view::npos, "a line holds no CR");
        characters += line.size();
    }
    // Every CR ends a line and takes an LF right after it along; nothing else is dropped.
    size_t lineEnds = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            lineEnds += (i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
        }
    }
    Require(characters + lineEnds == text.size(), "lines and line ends make up the whole text");

    const XtrRecord entry = ReadText(text);
    Require(entry.title == (lines.empty() ? std::wstring_view() : lines[0]), "line 1 is the title unchanged");
    Require(entry.autoStart == (lines.size() >= 3 && IsitTrue(lines[2])), "line 3 is auto start");
    Require(entry.autoStop == (lines.size() >= 4 && IsitTrue(lines[3])), "line 4 is auto stop");
}

void CheckSplit(std::wstring_view path) {
    const ProgramPathPieces pieces = SplitProgramPath(path);
    Require(pieces.drive.empty() || pieces.drive.size() == 2, "a drive is two characters");
    Require(pieces.file.find(L'\\') == std::wstring::npos, "the file name holds no separator");
    const bool rebuilt = pieces.drive + pieces.dir + L"\\" + pieces.file == path ||
                         (pieces.dir.empty() && pieces.drive + pieces.file == path);
    Require(rebuilt, "the pieces rebuild the path");
}

void CheckWriterReadsBack(const std::wstring& title, const std::wstring& path, bool autoStart,
                          bool autoStop) {
    XtrRecord written;
    written.title = title;
    written.autoStart = autoStart;
    written.autoStop = autoStop;
    // Whatever stood in the fields before must not show through.
    XtrRecord before;
    before.title = L"stale";
    before.programFile = L"stale.exe";
    before.autoStart = !autoStart;
    before.autoStop = !autoStop;
    // The four lines as the writer puts them, and its closing pair.
    const std::wstring text = AsOneLine(title) + L"\r\n" + XtrProgramLine(path) + L"\r\n" +
                              BoolText(autoStart) + L"\r\n" + BoolText(autoStop) + L"\r\n" +
                              XtrClosingPair(L"UI-View Quillon V1.1.0", L"5/17/2020", L"8:30:00 AM");
    const XtrRecord read = ReadText(text, before);

    Require(read.autoStart == autoStart && read.autoStop == autoStop, "the flags read back");
    const bool titleOneLine = title.find(L'\r') == std::wstring::npos;
    const bool pathOneLine = path.find(L'\r') == std::wstring::npos;
    if (titleOneLine) {
        Require(read.title == title, "a title without CR reads back unchanged");
    }
    if (pathOneLine) {
        const ProgramPathPieces pieces = SplitProgramPath(path);
        Require(read.programDrive == pieces.drive && read.programDir == pieces.dir &&
                    read.programFile == pieces.file,
                "the path reads back to the pieces of the path written");
    }
}

void CheckPathRoutines(const std::wstring& path, const std::wstring& setting) {
    const ProgramPathPieces pieces = SplitProgramPath(path);
    XtrRecord entry;
    entry.programDrive = pieces.drive;
    entry.programDir = pieces.dir;
    entry.programFile = pieces.file;

    // With no setting nothing is stripped: this is the path the pieces make.
    const std::wstring full = ProgramPathForFileOf(ProgramPathOf(entry), L"");
    const std::wstring folder = WithoutTrailingBackslash(setting);
    const std::wstring forFile = ProgramPathForFileOf(ProgramPathOf(entry), setting);
    Require(forFile == full || (!folder.empty() && folder + L"\\" + forFile == full),
            "the stored path is the full path, or the full path without the folder and its separator");
    const std::wstring absolute = ProgramPathAbsoluteOf(ProgramPathOf(entry), setting);
    const bool absoluteAlready = !entry.programDrive.empty() || entry.programDir.starts_with(L"\\\\");
    if (absoluteAlready || setting.empty()) {
        Require(absolute == full, "a path with a drive, a network path or a path without a setting stays");
    } else {
        Require(absolute == folder + L"\\" + (full.starts_with(L'\\') ? full.substr(1) : full),
                "a path without a drive joins the UI-View32 folder at one separator");
    }
    Require(ProgramPathDisplayOf(entry) == (absoluteAlready ? full : L"<UIView-Dir>" + full),
            "the grid shows a path without drive after the folder's stand-in");
    Require(ProgramPlaceOf(absolute).kind == ProgramPlaceOf(SwapAsciiCase(absolute)).kind,
            "where a program is looked for does not depend on letter case");
}

void CheckBooleans(std::wstring_view text) {
    const bool isTrue = IsitTrue(text);
    const bool yes = YesNo(text);
    Require(isTrue == IsitTrue(SwapAsciiCase(text)), "IsitTrue ignores letter case");
    Require(yes == YesNo(SwapAsciiCase(text)), "YesNo ignores letter case");
    Require(!yes || isTrue, "what YesNo takes as yes, IsitTrue takes as true");
}

void CheckName(std::wstring_view name) {
    const bool plain = IsPlainFileName(name);
    if (IsReservedDeviceName(name)) {
        Require(!plain, "a device name is never a plain file name");
    }
    if (plain) {
        Require(name.back() != L'.' && name.back() != L' ', "a plain file name keeps its last character");
        for (wchar_t c : name) {
            Require(c >= 32 && std::wstring_view(L"\\/:*?\"<>|").find(c) == std::wstring_view::npos,
                    "a plain file name holds no separator, wildcard, colon or control character");
        }
    }
    Require(HasXtrExtension(name) == HasXtrExtension(SwapAsciiCase(name)),
            "the extension ignores letter case");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = Widen(data, size);
    CheckLines(text);

    std::vector<std::wstring> fields;
    for (size_t start = 0;;) {
        const size_t end = text.find(L'\n', start);
        fields.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 1;
    }
    fields.resize(std::max<size_t>(fields.size(), 4));
    const std::wstring& title = fields[0];
    const std::wstring& path = fields[1];
    const std::wstring& setting = fields[2];
    const std::uint8_t flags = size > 0 ? data[size - 1] : 0;

    for (const std::wstring& field : fields) {
        CheckSplit(field);
        CheckBooleans(field);
        CheckName(field);
    }
    CheckWriterReadsBack(title, path, (flags & 1) != 0, (flags & 2) != 0);
    CheckPathRoutines(path, setting);

    // Any eight bytes as a day count: the log's timestamp is always made.
    if (size >= sizeof(double)) {
        double dayCount = 0.0;
        std::memcpy(&dayCount, data, sizeof(dayCount));
        static const MonthNames kMonths = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                           L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
        Require(FormatLogTimestamp(dayCount, kMonths).size() >= 20, "a timestamp has all its fields");
    }
    return 0;
}
