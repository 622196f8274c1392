#pragma once
// Rules on the names of XTR files.
#include <optional>
#include <string>
#include <string_view>

// The name ends in ".xtr" in any letter case. The platform's "*.xtr" pattern
// also matches longer extensions through 8.3 short names; those are not XTR files.
bool HasXtrExtension(std::wstring_view name) noexcept;

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (and CONIN$, CONOUT$) name devices
// whatever extension follows them, so "con.xtr" opens the console, not a file.
bool IsReservedDeviceName(std::wstring_view name) noexcept;

// A name that can only mean a file directly in its folder: not empty, no
// folder separator, no wildcard, colon (alternate stream) or control
// character, no device name, no dot or blank at the end (the file system
// drops those, so "a.xtr." would write over "a.xtr"), and at most 255 characters.
bool IsPlainFileName(std::wstring_view name) noexcept;

// Temporary files beside XTR files. Every name starts with kTemporaryPrefix
// and never ends in ".xtr", so that no listing of XTR files sees one. The
// stamp (the time of making, in 100 ns units since 1601, as the system
// counts file times) makes a name unique per run and per use together with
// the process id and a counter, and tells a later run how old a leftover is.
// A temporary carries the name of the file it is made for (when it fits), so
// that a later run can name it to the user, and what it holds.
inline constexpr wchar_t kTemporaryPrefix[] = L"~Quillon-";

enum class Held : wchar_t {
    NewVersion = L'=', // a new version on its way to that name
    Copy = L'+',       // a copy or second name of the file of that name, which stands there: not yet binned
    InBin = L'#',      // a second name of a file the Recycle Bin has taken: never the only copy
    SetAside = L'!',   // the file of that name itself, set aside until the change that moved it ends
};

struct TemporaryNameParts {
    unsigned long long stamp = 0;
    std::optional<Held> held; // nothing: a plain temporary, made for no name
    std::wstring destination; // the name it carries; empty when it did not fit
};

// "~Quillon-<stamp>-<process>-<counter>.tmp", or with the mark of what it
// holds and the destination's name before ".tmp" (just the mark when the name
// would be longer than a file name may be).
std::wstring TemporaryName(unsigned long long stamp, unsigned long processId, unsigned counter);
std::wstring TemporaryNameOnTheWay(unsigned long long stamp, unsigned long processId, unsigned counter,
                                   std::wstring_view destination, Held held = Held::NewVersion);

// What a name made above says; nothing for any other name (a leftover of an
// older version among them).
std::optional<TemporaryNameParts> ParseTemporaryName(std::wstring_view name);
