#include "rules/XtrFormat.h"

#include "rules/AsciiCase.h"

#include <algorithm>
#include <utility>

// Only ASCII letters can spell the four words, so an ASCII upper-casing is
// exact here and nothing can fail.
bool IsitTrue(std::wstring_view text) noexcept {
    return EqualsAsciiUpper(text, L"TRUE") || EqualsAsciiUpper(text, L"YES") ||
           EqualsAsciiUpper(text, L"1") || EqualsAsciiUpper(text, L"ON");
}

const wchar_t* BoolText(bool value) noexcept { return value ? L"True" : L"False"; }

ProgramPathPieces SplitProgramPath(std::wstring_view path) {
    ProgramPathPieces pieces;
    // A colon anywhere from the second character on means the first two are a drive.
    if (path.find(L':', 1) != std::wstring_view::npos) {
        pieces.drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const size_t lastSeparator = path.rfind(L'\\');
    if (lastSeparator != std::wstring_view::npos) {
        pieces.dir = path.substr(0, lastSeparator);
    }
    pieces.file = path.substr(lastSeparator + 1); // without a separator, all of it: npos + 1 is 0
    return pieces;
}

namespace {
// Where the line that begins at start ends, and where the next one begins.
template <class Char> std::pair<size_t, size_t> LineEnd(std::basic_string_view<Char> text, size_t start) {
    const size_t end = std::min(text.find(Char('\r'), start), text.size());
    const bool crLf = end + 1 < text.size() && text[end + 1] == Char('\n');
    return {end, std::min(end + (crLf ? 2 : 1), text.size())};
}

template <class Char>
std::vector<std::basic_string_view<Char>> SplitLines(std::basic_string_view<Char> text) {
    std::vector<std::basic_string_view<Char>> lines;
    for (size_t start = 0; start < text.size();) {
        const auto [end, next] = LineEnd(text, start);
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}
} // namespace

std::vector<std::wstring_view> SplitXtrLines(std::wstring_view text) { return SplitLines(text); }

std::vector<std::string_view> SplitXtrLines(std::string_view bytes) { return SplitLines(bytes); }

XtrFileCut CutXtrFile(std::string_view bytes) {
    XtrFileCut cut;
    size_t start = 0;
    while (cut.lines.size() < 4 && start < bytes.size()) {
        const auto [end, next] = LineEnd(bytes, start);
        cut.lines.push_back({bytes.substr(start, end - start), bytes.substr(end, next - end)});
        start = next;
    }
    cut.rest = bytes.substr(start);
    return cut;
}

bool IsWritersClosing(std::string_view rest) {
    const std::vector<std::string_view> lines = SplitXtrLines(rest);
    if (lines.empty()) {
        return true;
    }
    // "created by " is ASCII too: the same bytes in every code page.
    return lines.size() == 2 && lines[0] == std::string_view(kXtrSeparatorBytes) &&
           lines[1].starts_with("created by ");
}

std::string JoinSavedXtr(const XtrFileCut& base, const std::array<std::optional<std::string>, 4>& fresh,
                         std::string_view closing) {
    std::string bytes;
    for (size_t i = 0; i < fresh.size(); ++i) {
        if (fresh[i] || i >= base.lines.size()) {
            bytes += fresh[i].value_or(std::string());
            bytes += "\r\n";
            continue;
        }
        const XtrLine& line = base.lines[i];
        bytes.append(line.text);
        bytes.append(line.end.empty() ? std::string_view("\r\n") : line.end);
    }
    bytes.append(IsWritersClosing(base.rest) ? closing : base.rest);
    return bytes;
}

void ApplyXtrLine(XtrRecord& entry, int lineNumber, std::wstring_view line, int& marker) {
    marker = 120;
    switch (lineNumber) {
    case 1:
        marker = 140;
        entry.title = line;
        break;
    case 2: {
        marker = 165;
        // A quote on either side is removed on its own: a lone quote leaves an empty path.
        std::wstring_view path = line;
        if (!path.empty()) {
            marker = 170;
            if (path.front() == L'"') {
                path.remove_prefix(1);
            }
            marker = 180;
            if (!path.empty() && path.back() == L'"') {
                path.remove_suffix(1);
            }
        }
        marker = 190;
        ProgramPathPieces pieces = SplitProgramPath(path);
        entry.programDrive = std::move(pieces.drive);
        entry.programDir = std::move(pieces.dir);
        entry.programFile = std::move(pieces.file);
        break;
    }
    case 3:
        marker = 210;
        entry.autoStart = IsitTrue(line);
        break;
    case 4:
        marker = 230;
        entry.autoStop = IsitTrue(line);
        break;
    default:
        break;
    }
}

std::wstring AsOneLine(std::wstring_view text) {
    std::wstring line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r') {
            line += text[i];
            continue;
        }
        line += L' ';
        if (i + 1 < text.size() && text[i + 1] == L'\n') {
            ++i;
        }
    }
    return line;
}

std::wstring XtrProgramLine(std::wstring_view programPath) {
    std::wstring path = AsOneLine(programPath);
    // Reading removes one quote from each end, so a quote of the path's own at
    // either end survives only inside a pair of quotes.
    const bool ownQuote = !path.empty() && (path.front() == L'"' || path.back() == L'"');
    if (path.find(L' ') != std::wstring::npos || ownQuote) {
        return L'"' + path + L'"';
    }
    return path;
}

std::wstring XtrClosingPair(std::wstring_view appTitle, std::wstring_view dateText,
                            std::wstring_view timeText) {
    return std::wstring(kXtrSeparator) + L"\r\ncreated by " + std::wstring(appTitle) + L" on " +
           std::wstring(dateText) + L" " + std::wstring(timeText) + L"\r\n";
}
