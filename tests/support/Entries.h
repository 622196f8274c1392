#pragma once
// XTR entries as the tests make and find them. No Windows header: the native
// build of the rules' tests includes this too.
#include "rules/XtrRecord.h"

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

} // namespace testsupport
