// What kind of program Quillon.exe is, read from the image itself. UI-View32
// is a 32-bit program without a manifest, so under UAC Windows virtualizes its
// view of a folder under Program Files (writes go to VirtualStore). Quillon
// sees the same files only if Windows treats it alike: a 64-bit program, or
// one whose manifest names a requestedExecutionLevel, is never virtualized and
// would list other XTR files than those UI-View32 reads. A 32-bit program also
// starts on the 32-bit Windows some users keep UI-View32 on. So a change of
// either fact below breaks Quillon for those users, whatever Wine shows.
// This test program carries Quillon's resources and comes from the same
// compiler, so it reads both from its own image.
#include "system/Win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>

namespace {

const IMAGE_NT_HEADERS* OwnHeaders() {
    const auto* base = reinterpret_cast<const unsigned char*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

std::string OwnManifest() {
    const HMODULE self = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    if (found == nullptr) {
        return {};
    }
    const void* bytes = ::LockResource(::LoadResource(self, found));
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(self, found));
}

bool Holds(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

} // namespace

TEST(Image, IsA32BitX86Program) {
#ifdef _WIN64
    GTEST_SKIP() << "a 64-bit build, made where no 32-bit code runs: scripts/test.sh checks the 32-bit "
                    "Quillon.exe's header instead";
#endif
    const IMAGE_NT_HEADERS* headers = OwnHeaders();
    ASSERT_EQ(headers->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(headers->FileHeader.Machine, IMAGE_FILE_MACHINE_I386)
        << "machine type 0x" << std::hex << headers->FileHeader.Machine;
    EXPECT_EQ(headers->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC) << "PE32, not PE32+";
}

TEST(Image, ManifestNamesNoExecutionLevel) {
    const std::string manifest = OwnManifest();
    ASSERT_TRUE(Holds(manifest, "<assembly")) << "no manifest embedded as resource 1";
    EXPECT_FALSE(Holds(manifest, "requestedExecutionLevel"))
        << "Windows would no longer virtualize Quillon as it virtualizes UI-View32";
    EXPECT_TRUE(Holds(manifest, "processorArchitecture=\"x86\"")) << "the manifest names the image's machine";
}

// What the manifest is there for still holds: version 6 of the common controls,
// DPI awareness, and the Windows versions Quillon knows (7, 8, 8.1, 10 and 11).
TEST(Image, ManifestKeepsCommonControlsDpiAwarenessAndSupportedOs) {
    const std::string manifest = OwnManifest();
    EXPECT_TRUE(Holds(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_TRUE(Holds(manifest, ">true</dpiAware>"));
    for (const char* os :
         {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_TRUE(Holds(manifest, std::string("<supportedOS Id=\"") + os + "\"/>")) << os;
    }
    EXPECT_TRUE(::IsProcessDPIAware()) << "the system read the manifest's DPI awareness";
}

// Windows turns virtualization on for such a program wherever the user's
// token allows it (UAC on, not elevated), as for UI-View32. Where no token
// allows it (Wine, an elevated or UAC-less Windows) there is nothing to see:
// the test is skipped, by a name the test script knows.
TEST(Image, VirtualizedWhereverTheSystemAllowsIt) {
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    const UniqueFile owned(token); // closed by CloseHandle, as a file is
    DWORD allowed = 0;
    DWORD enabled = 0;
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenVirtualizationAllowed, &allowed, sizeof(allowed), &size) ||
        allowed == 0) {
        GTEST_SKIP() << "no virtualization on this system";
    }
    ASSERT_TRUE(::GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof(enabled), &size));
    EXPECT_NE(enabled, 0u);
}
