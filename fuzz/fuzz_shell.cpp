// shell.ini: the reader takes any bytes, and what the writer writes back into
// them reads back as the state written, every other line kept.
#include "platform/posix/shell_state.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool Same(const platform::ShellState& a, const platform::ShellState& b) {
    return a.activeDesktop == b.activeDesktop && a.enableComponents == b.enableComponents &&
           a.wallpaper == b.wallpaper && a.items == b.items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    // The file, then (after a NUL) a wallpaper and desktop items to write.
    size_t nul = all.find('\0');
    std::string_view bytes = all.substr(0, nul);
    platform::ShellState state;
    std::string error;
    if (!platform::ParseShellState(bytes, state, error)) state = platform::ShellState{};
    if (nul != std::string_view::npos) {
        // Line breaks never reach the state: the shell refuses them.
        std::string_view change = all.substr(nul + 1);
        if (change.find_first_of("\r\n") != std::string_view::npos) return 0;
        size_t sep = change.find('\0');
        state.wallpaper = std::string(change.substr(0, sep));
        state.activeDesktop = !state.activeDesktop;
        if (sep != std::string_view::npos) state.items.assign(1, std::string(change.substr(sep + 1)));
    }
    std::string written = platform::UpdateShellIni(bytes, state);
    platform::ShellState again;
    if (!platform::ParseShellState(written, again, error) || !Same(state, again)) std::abort();
    return 0;
}
