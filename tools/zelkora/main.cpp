// zelkora: Zelkora on the command line. Without arguments it is the menu's
// launcher: it sets up the installation when there is none (zelkora-demo,
// from the bundled modules and toyz), then starts Zelkora Manager. With a
// command it does that command and ends.
#include "commands.h"
#include "runtime/command_line.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A program of the system: beside this one when installed, under tools/ in
// the build tree.
std::string Beside(const std::string& name) {
    std::error_code ec;
    fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& p : {here / name, here / "tools" / name})
        if (fs::exists(p)) return p.string();
    return name;
}

int Launch() {
    std::string demo = Beside("zelkora-demo");
    char* demoArgv[] = {const_cast<char*>(demo.c_str()), nullptr};
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, demo.c_str(), nullptr, nullptr, demoArgv, environ) == 0)
        waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "zelkora: the installation could not be set up\n";
        return 1;
    }
    std::string manager = Beside("zelkora-manager");
    char* argv[] = {const_cast<char*>(manager.c_str()), nullptr};
    ::execv(manager.c_str(), argv);
    std::cerr << "zelkora: cannot start " << manager << ": " << std::strerror(errno) << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "zelkora " << runtime::VersionText() << '\n';
        return 0;
    }
    if (argc == 1) return Launch();
    return cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
