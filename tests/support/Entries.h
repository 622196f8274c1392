#pragma once
// XTR entries as the tests make and find them. No Windows header: the native
// build of the rules' tests includes this too.
#include "rules/XtrTable.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

// An entry holding only a program path, as its three pieces.
inline XtrRecord Program(std::wstring drive, std::wstring dir, std::wstring file) {
    XtrRecord entry;
    entry.programDrive = std::move(drive);
    entry.programDir = std::move(dir);
    entry.programFile = std::move(file);
    return entry;
}

// The index in XtrTable of the first entry of that file name (and that
// active flag, when one is given); 0 when none is listed.
inline int IndexOf(std::wstring_view fileName, std::optional<bool> active = std::nullopt) {
    for (int i = 1; i <= XtrCount; ++i) {
        const XtrRecord& entry = XtrTable[static_cast<size_t>(i)];
        if (entry.fileName == fileName && (!active || entry.active == *active)) {
            return i;
        }
    }
    return 0;
}

// The first entry of that file name; the blank element 0, and a failure of the
// test, when none is listed.
inline const XtrRecord& EntryNamed(std::wstring_view fileName) {
    const int index = IndexOf(fileName);
    EXPECT_GT(index, 0) << "no entry " << testing::PrintToString(std::wstring(fileName));
    return XtrTable[static_cast<size_t>(index)];
}

} // namespace testsupport
