// A failed start's lines, shown in a message box where the game has no standard output (Windows).
#include "app/startup_messages.h"

#ifdef _WIN32

#include <windows.h>

#include <cstdio>

namespace {

char gKeptIn[MAX_PATH] = {}; // the temporary file standard output goes to, while kept

bool hasStandardOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    return output != nullptr && output != INVALID_HANDLE_VALUE &&
           GetFileType(output) != FILE_TYPE_UNKNOWN;
}

} // namespace

void collectStartupMessages() {
    char directory[MAX_PATH];
    if (hasStandardOutput() || GetTempPathA(MAX_PATH, directory) == 0 ||
        GetTempFileNameA(directory, "qvx", 0, gKeptIn) == 0) {
        return;
    }
    if (std::freopen(gKeptIn, "w+", stdout) == nullptr) {
        DeleteFileA(gKeptIn);
        gKeptIn[0] = '\0';
    }
}

void showStartupMessages() {
    if (gKeptIn[0] == '\0') {
        return;
    }
    char text[4096];
    std::fflush(stdout);
    std::rewind(stdout);
    const size_t length = std::fread(text, 1, sizeof text - 1, stdout);
    text[length] = '\0';
    std::fclose(stdout);
    DeleteFileA(gKeptIn);
    gKeptIn[0] = '\0';
    if (length > 0) {
        MessageBoxA(nullptr, text, "Quorvix", MB_OK | MB_ICONERROR);
    }
}

#else

void collectStartupMessages() {}
void showStartupMessages() {}

#endif
