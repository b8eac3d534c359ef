#include "runtime/command_line.h"

#include "zelkora_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace runtime {

namespace {
bool gVerbose = false;
}

bool Verbose() {
    return gVerbose;
}

std::string VersionText() {
    return std::to_string(ZELKORA_VERSION_MAJOR) + "." + std::to_string(ZELKORA_VERSION_MINOR) + "." +
           std::to_string(ZELKORA_VERSION_REVISION);
}

int StandardOptions(int argc, char** argv, const ProgramInfo& info) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(info.usage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("%s %s\n", info.name, VersionText().c_str());
            return 0;
        }
    }
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--") break;
        if (a == "--verbose") {
            verbose = true;
            continue;
        }
        bool option = a.size() > 1 && a[0] == '-';
        bool known = std::find(info.options.begin(), info.options.end(), a) != info.options.end();
        if ((option && !known) || (!option && !info.takesWords)) {
            std::fprintf(stderr, "%s: %s '%s' (see %s --help)\n", info.name,
                         option ? "unknown option" : "no arguments are taken, not", a.c_str(),
                         info.name);
            return 2;
        }
    }
    gVerbose = verbose;
    return -1;
}

} // namespace runtime
