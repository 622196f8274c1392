#pragma once
// What the benchmarks share: a millisecond clock and a temporary UI-View32
// folder filled with XTR files.
#include <string>
#include <vector>

// Milliseconds from an arbitrary start, from the performance counter.
double Now();

// Writes bytes to a new file; ends the benchmark when that fails.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Deletes a folder with everything in it.
void RemoveTree(const std::wstring& path);

struct HostFolderFixture {
    std::wstring root, host, saved;
    std::vector<std::wstring> programPaths; // absolute, one per XTR file
    int existing = 0;
};

// A new temporary folder root (named after tag and n) holding UI-View32 with
// SavedXTR and n XTR files: half active, half inactive, half of their programs
// existing.
HostFolderFixture MakeHostFolder(int n, const std::wstring& tag);
