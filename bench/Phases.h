#pragma once
// Where a start-up's time goes, for the start-up bench: the moments a program
// reaches, in milliseconds from the moment its starter was about to create
// it. The starter gives that moment on the command line as a reading of the
// performance counter, which reads alike in every process, and the file the
// marks go to, one "<ms> <phase>" a line: "<counter> <file>". Nothing is
// written until the program is idle, so that no file work falls into its
// start-up.
#include <windows.h>

#include <cstdio>
#include <cwchar>

class PhaseMarks {
  public:
    explicit PhaseMarks(const wchar_t* commandLine) {
        ::QueryPerformanceFrequency(&frequency_);
        int used = 0;
        if (std::swscanf(commandLine, L"%lld %n", &start_, &used) == 1) {
            file_ = commandLine + used;
        }
    }

    void Mark(const char* phase) {
        if (count_ < kMost) {
            ::QueryPerformanceCounter(&at_[count_]);
            phases_[count_++] = phase;
        }
    }

    // Handles what waits in the queue, paints included, until it is empty;
    // then marks "idle", writes the marks and returns the exit code.
    int RunUntilIdle() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        Mark("idle");
        FILE* out = file_ != nullptr ? _wfopen(file_, L"w") : nullptr;
        if (out == nullptr) {
            return 1;
        }
        for (int i = 0; i < count_; ++i) {
            std::fprintf(out, "%.2f %s\n",
                         static_cast<double>(at_[i].QuadPart - start_) * 1000.0 /
                             static_cast<double>(frequency_.QuadPart),
                         phases_[i]);
        }
        std::fclose(out);
        return 0;
    }

  private:
    static constexpr int kMost = 32;
    LARGE_INTEGER frequency_{};
    long long start_ = 0;
    const wchar_t* file_ = nullptr;
    LARGE_INTEGER at_[kMost]{};
    const char* phases_[kMost]{};
    int count_ = 0;
};
