#pragma once
// What the benchmarks share: a millisecond clock and a temporary UI-View32
// folder filled with XTR files.
#include "support/Scratch.h"

#include <string>
#include <vector>

// Milliseconds from an arbitrary start, from the performance counter.
double Now();

// A new temporary folder (named after tag) holding UI-View32 with SavedXTR and
// n XTR files: half active, half inactive, half of their programs existing.
// Removed with everything in it at the end.
struct HostFolderFixture {
    HostFolderFixture(int n, std::wstring_view tag);

    scratch::TempFolder root;
    std::wstring host, saved;
    std::vector<std::wstring> programPaths; // absolute, one per XTR file
    int existing = 0;
};
