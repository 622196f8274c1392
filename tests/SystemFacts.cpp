// Prints the Windows version and the ANSI code page that a program carrying
// Quillon's manifest sees, so that scripts/test.sh can tell that each test
// pass runs under the system it names before it runs the tests there.
#include <windows.h>

#include <cstdio>

int main() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!::GetVersionExW(&info)) {
        return 1;
    }
    std::printf("Windows %lu.%lu build %lu, code page %u\n", info.dwMajorVersion, info.dwMinorVersion,
                info.dwBuildNumber, ::GetACP());
    return 0;
}
