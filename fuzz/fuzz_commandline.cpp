// The launcher's reading of a command line: splitting takes any bytes, a list
// of arguments quoted by Windows' rules splits back into the same list, and a
// program found is always an existing file.
#include "platform/process.h"
#include "runtime/failure.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Quotes an argument so that CommandLineToArgvW gives it back unchanged.
std::string Quote(const std::string& a) {
    if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) return a;
    std::string out = "\"";
    for (size_t i = 0;; ++i) {
        size_t backslashes = 0;
        while (i < a.size() && a[i] == '\\')
            ++i, ++backslashes;
        if (i == a.size()) {
            out.append(backslashes * 2, '\\');
            break;
        }
        if (a[i] == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        out.push_back(a[i]);
    }
    return out + "\"";
}

// A small prefix with a few programs, made once.
struct Prefix {
    Prefix() {
        char tmpl[] = "/tmp/fuzz-commandline-XXXXXX";
        dir = ::mkdtemp(tmpl);
        ::setenv("ZELKORA_PREFIX", dir.c_str(), 1);
        ::setenv("PATH", (dir + "/bin").c_str(), 1);
        for (const char* p : {"drive_c/Program Files/Zelkora/Modules/Waves/setup.exe",
                              "drive_c/app.exe", "drive_c/My Tools/run", "bin/tool"}) {
            std::filesystem::path f = dir + "/" + p;
            std::filesystem::create_directories(f.parent_path());
            std::ofstream(f) << "#!/bin/sh\n";
            ::chmod(f.c_str(), 0755);
        }
    }
    std::string dir;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Prefix prefix;
    if (size == 0) return 0;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0:
        platform::SplitArguments(rest);
        break;
    case 1: {
        std::vector<std::string> args;
        size_t i = 0;
        while (i <= rest.size()) {
            size_t j = rest.find('\0', i);
            if (j == std::string::npos) j = rest.size();
            args.push_back(rest.substr(i, j - i));
            i = j + 1;
        }
        std::string line;
        for (const auto& a : args)
            line += (line.empty() ? "" : " ") + Quote(a);
        if (platform::SplitArguments(line) != args) std::abort();
        break;
    }
    default: {
        auto found = platform::ResolveCommandLine(rest);
        if (found) {
            struct stat st;
            if (::stat(found->program.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) std::abort();
        }
        try {
            auto startable = platform::ResolveStartable(rest);
            if (!found || startable.program != found->program) std::abort();
        } catch (const Failure&) {
        }
    }
    }
    return 0;
}
