#pragma once
// Start-up tidying of the two folders of the catalogue, host (the UI-View32 folder) and saved (SavedXTR). A
// temporary of an earlier run older than a minute (a younger one may be a second Quillon's at work) is
// deleted when it holds nothing that is not elsewhere too (a second name marked as the bin's, a copy or
// second name of a file that stands at its name in either folder, a file set aside whose twin stands in
// place). A file set aside that was never replaced, and a second name not marked as the bin's whose file
// stands nowhere (the only copy, maybe), go back to their names: the one change start-up makes to the
// catalogue. Any other goes into the Recycle Bin, as it may hold someone's only copy of something, read-only
// or not. Returns the names of what it put back, of what it binned and of what it could neither bin nor
// delete (the file it was made for, or the title on its first line in quotes), for the user to be told; each
// failure is logged once per run.
#include <string>
#include <vector>

struct Leftover {
    std::wstring path;
    std::wstring known; // the name the user knows it by
};
struct Tidied {
    std::vector<std::wstring> putBack, binned;
    std::vector<Leftover> stuck; // what the bin cannot take
};
Tidied TidyLeftovers(const std::wstring& host, const std::wstring& saved);
// Deletes a leftover the user agreed to delete for good.
bool DeleteLeftover(const std::wstring& path);
