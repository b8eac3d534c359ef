// Shell on Windows: CreateProcess finds the program in the command line
// itself, as the POSIX layer imitates.
#include "platform/win32.h"
#include "platform/win/system_error.h"
#include "runtime/app.h"
#include "runtime/failure.h"

#include <vector>

double Interaction::Shell(const std::string& commandLine, int windowStyle) {
    if (commandLine.find_first_not_of(" \t") == std::string::npos) Raise(Err::InvalidProcedureCall);
    // The window styles, as ShowWindow numbers them (6: minimised, not active).
    static const WORD shows[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED,
                                 SW_SHOWNOACTIVATE, SW_SHOWNORMAL, SW_SHOWMINNOACTIVE};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = windowStyle >= 0 && windowStyle <= 6 ? shows[windowStyle] : SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    std::vector<char> line(commandLine.begin(), commandLine.end()); // CreateProcessA may write it
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        switch (DWORD error = GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            Raise(Err::FileNotFound);
        case ERROR_ACCESS_DENIED:
            Raise(Err::PathFileAccess);
        default:
            Raise(Err::InvalidProcedureCall, platform::win::SystemMessage(error));
        }
    }
    // Nobody waits for the program: its handles go at once.
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<double>(started.dwProcessId);
}
