#pragma once
// The text layout of an XTR file: how its lines are cut and read into a record,
// and the text the writer produces. Plain rules, no file access.
#include "rules/XtrRecord.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kXtrSeparator[] = L"-----------------------------";
// The separator as a file holds it: ASCII, the same bytes in every code page.
inline constexpr char kXtrSeparatorBytes[] = "-----------------------------";

// True for "TRUE", "YES", "1" or "ON" in any letter case; nothing is trimmed.
bool IsitTrue(std::wstring_view text) noexcept;

// "True" or "False", as files and the grid spell Booleans.
const wchar_t* BoolText(bool value) noexcept;

struct ProgramPathPieces {
    std::wstring drive, dir, file;
};
// Cuts an application path into drive ("C:"), directory (no trailing "\") and file name.
ProgramPathPieces SplitProgramPath(std::wstring_view path);

// The lines of a file: a line ends at CR LF or at a lone CR, never at a lone
// LF. Text after the last line end is a line of its own when not empty. A
// file's bytes are cut before they are decoded, line by line: in a code page
// of two-byte characters a byte before CR can lead a character, but no code
// page takes CR into one.
std::vector<std::wstring_view> SplitXtrLines(std::wstring_view text);
std::vector<std::string_view> SplitXtrLines(std::string_view bytes);

// A file's bytes as a save over them sees them: its first lines (at most
// four), each with the line end that closed it (CR LF, a lone CR, or nothing
// for a last line without one), and everything after the fourth line's end.
struct XtrLine {
    std::string_view text, end;
};
struct XtrFileCut {
    std::vector<XtrLine> lines;
    std::string_view rest;
};
XtrFileCut CutXtrFile(std::string_view bytes);

// rest holds nothing of anyone's but what the writer adds after the fourth
// line (the separator line and one "created by " line), or nothing at all:
// a save may renew it.
bool IsWritersClosing(std::string_view rest);

// The bytes of a file saved over base: each of the first four lines either
// fresh (then ended by CR LF) or, where fresh holds nothing, base's line with
// its own line end; then what base holds after its fourth line, byte for
// byte, unless IsWritersClosing says it is the writer's own: then closing.
// A line base lacks must be fresh.
std::string JoinSavedXtr(const XtrFileCut& base, const std::array<std::optional<std::string>, 4>& fresh,
                         std::string_view closing);

// Takes line number lineNumber (counted from 1) of a file into entry; lines
// after the fourth are ignored. marker follows the step in progress, so that a
// failure report can name it.
void ApplyXtrLine(XtrRecord& entry, int lineNumber, std::wstring_view line, int& marker);

// A text as the writer puts it on one line: each line break in it (CR LF or a
// lone CR) becomes one blank, so that it cannot push the lines after it out
// of place. A lone LF ends no line and stays.
std::wstring AsOneLine(std::wstring_view text);

// Line 2 as the writer puts it: the path (as the file stores it) on one line,
// quoted when it holds a blank, or when it begins or ends with a quote of its
// own that reading would otherwise take away.
std::wstring XtrProgramLine(std::wstring_view programPath);

// Lines 5 and 6 as the writer puts them, each ended by CR LF: the separator,
// and "created by " with the program's title, date and time.
std::wstring XtrClosingPair(std::wstring_view appTitle, std::wstring_view dateText,
                            std::wstring_view timeText);
