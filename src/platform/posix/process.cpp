// Shell: starts a command line without a shell, detached, without waiting.
#include "platform/process.h"

#include "platform/prefix.h"
#include "runtime/app.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool IsFile(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasExtension(std::string_view name) {
    size_t sep = name.find_last_of("\\/");
    std::string_view last = sep == std::string_view::npos ? name : name.substr(sep + 1);
    return last.find('.') != std::string_view::npos;
}

// The native file a program name stands for, or empty.
std::string FindProgram(const std::string& name) {
    if (name.empty()) return {};
    std::vector<std::string> tries;
    if (HasExtension(name)) {
        tries.push_back(name);
    } else {
        tries.push_back(name + ".exe");
        tries.push_back(name);
    }
    bool bare = name.find_first_of("\\/:") == std::string::npos;
    for (const auto& t : tries) {
        std::string native = MapPath(t);
        if (IsFile(native)) return native;
        if (bare) {
            const char* path = std::getenv("PATH");
            std::string_view p = path ? path : "";
            size_t i = 0;
            while (i <= p.size()) {
                size_t j = p.find(':', i);
                if (j == std::string_view::npos) j = p.size();
                if (j > i) {
                    std::string cand = std::string(p.substr(i, j - i)) + "/" + t;
                    if (IsFile(cand)) return cand;
                }
                i = j + 1;
            }
        }
    }
    return {};
}

// The interpreter a "#!" line names, or empty when the file has none.
std::string Interpreter(const std::string& head) {
    if (head.compare(0, 2, "#!") != 0) return {};
    size_t b = head.find_first_not_of(" \t", 2);
    if (b == std::string::npos) return {};
    size_t e = head.find_first_of(" \t\r\n", b);
    return head.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

// 0 when the file can be started, else the failure number Shell reports.
long StartProblem(const std::string& native, int depth = 0) {
    if (!IsFile(native)) return Err::FileNotFound;
    if (::access(native.c_str(), X_OK) != 0) return Err::PathFileAccess;
    std::string head;
    if (FILE* f = std::fopen(native.c_str(), "rb")) {
        char buf[256];
        size_t n = std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
        head.assign(buf, n);
        if (size_t nl = head.find('\n'); nl != std::string::npos) head.resize(nl);
    } else {
        return Err::PathFileAccess;
    }
    if (head.compare(0, 4, "\x7f" "ELF") == 0) return 0;
    std::string interpreter = Interpreter(head);
    // The kernel runs one level of interpreter; a script may not name a script.
    if (interpreter.empty() || interpreter[0] != '/' || depth > 0) return Err::InvalidProcedureCall;
    return StartProblem(interpreter, depth + 1) == 0 ? 0 : Err::InvalidProcedureCall;
}

} // namespace

std::vector<std::string> SplitArguments(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (true) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < s.size()) {
            char c = s[i];
            if (c == '\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == '\\')
                    ++n, ++i;
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg.push_back('"');
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg.push_back('"');
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && (c == ' ' || c == '\t')) break;
            arg.push_back(c);
            ++i;
        }
        out.push_back(std::move(arg));
    }
    return out;
}

std::optional<ResolvedCommand> ResolveCommandLine(std::string_view line) {
    size_t b = 0;
    while (b < line.size() && (line[b] == ' ' || line[b] == '\t'))
        ++b;
    line = line.substr(b);
    if (line.empty()) return std::nullopt;
    if (line[0] == '"') {
        size_t close = line.find('"', 1);
        std::string name(
            line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        std::string program = FindProgram(name);
        if (program.empty()) return std::nullopt;
        std::string_view rest =
            close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
        return ResolvedCommand{program, SplitArguments(rest)};
    }
    size_t pos = 0;
    while (true) {
        size_t space = line.find_first_of(" \t", pos);
        std::string name(line.substr(0, space));
        std::string program = FindProgram(name);
        if (!program.empty()) {
            std::string_view rest =
                space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
            return ResolvedCommand{program, SplitArguments(rest)};
        }
        if (space == std::string_view::npos) return std::nullopt;
        pos = space + 1;
    }
}

ResolvedCommand ResolveStartable(std::string_view commandLine) {
    auto cmd = ResolveCommandLine(commandLine);
    if (!cmd) Raise(Err::FileNotFound);
    if (long problem = StartProblem(cmd->program)) Raise(problem);
    return std::move(*cmd);
}

} // namespace platform

double Interaction::Shell(const std::string& commandLine, int /*windowStyle*/) {
    if (commandLine.find_first_not_of(" \t") == std::string::npos) Raise(Err::InvalidProcedureCall);
    platform::ResolvedCommand cmd = platform::ResolveStartable(commandLine);
    std::vector<std::string> argvStore;
    argvStore.push_back(cmd.program);
    argvStore.insert(argvStore.end(), cmd.args.begin(), cmd.args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, cmd.program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        switch (rc) {
        case ENOENT:
            Raise(Err::FileNotFound);
        case EACCES:
        case EPERM:
            Raise(Err::PathFileAccess);
        default:
            Raise(Err::InvalidProcedureCall, std::strerror(rc));
        }
    }
    // Nobody waits for the program; this keeps it from lingering as a zombie.
    std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return static_cast<double>(pid);
}
