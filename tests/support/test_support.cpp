#include "support/test_support.h"

#include "runtime/msgbox.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace testing_support {

TempPrefix::TempPrefix() {
    if (const char* old = std::getenv("ZELKORA_PREFIX")) {
        hadOld_ = true;
        oldPrefix_ = old;
    }
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelkora-test-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    dir_ = made;
    std::filesystem::create_directories(dir_ + "/drive_c");
    // Tests never start a desktop host, display or not.
    ::setenv("ZELKORA_DESKTOP_HOST", "0", 1);
    ::setenv("ZELKORA_PREFIX", dir_.c_str(), 1);
}

TempPrefix::~TempPrefix() {
    std::error_code ec;
    // Read-only files made by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(dir_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
    if (hadOld_)
        ::setenv("ZELKORA_PREFIX", oldPrefix_.c_str(), 1);
    else
        ::unsetenv("ZELKORA_PREFIX");
}

ScriptedMsgBox::ScriptedMsgBox() {
    SetMsgBoxHandler([this](const std::string& text, int style, const std::string& title) {
        ++shown_;
        if (expected_.empty()) {
            ADD_FAILURE() << "unexpected message box: [" << title << "] (" << style << ") " << text;
            return 1;
        }
        Box box = expected_.front();
        expected_.pop_front();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.style, style) << "for: " << text;
        EXPECT_EQ(box.title, title) << "for: " << text;
        return box.answer;
    });
}

ScriptedMsgBox::~ScriptedMsgBox() {
    Verify();
    SetMsgBoxHandler(nullptr);
}

ScriptedMsgBox& ScriptedMsgBox::Expect(std::string text, int style, std::string title, int answer) {
    expected_.push_back({std::move(text), style, std::move(title), answer});
    return *this;
}

void ScriptedMsgBox::Verify() {
    for (const auto& b : expected_)
        ADD_FAILURE() << "expected message box never shown: [" << b.title << "] " << b.text;
    expected_.clear();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    using Clock = std::chrono::steady_clock;
    for (auto end = Clock::now() + std::chrono::milliseconds(ms); Clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::string WaitForLine(const std::string& path) {
    std::string text;
    auto whole = [&] {
        text = ReadFile(path);
        return !text.empty() && text.back() == '\n';
    };
    return WaitFor(whole, 5000) ? text : "";
}

void MakeDirs(const std::string& path) {
    std::filesystem::create_directories(path);
}

void WriteRegistry(const TempPrefix& prefix, const std::string& body) {
    WriteFile(prefix.path("registry.reg"), "Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

std::string ToolsDir() {
    const char* d = std::getenv("ZELKORA_TOOLS_DIR");
    return d ? d : ZELKORA_DEFAULT_TOOLS_DIR;
}

int RunCommand(const std::string& command, std::string* output) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int status = ::pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testing_support

#include <sqlite3.h>

namespace testing_support {

std::string ShellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

TestCatalogue::TestCatalogue(const TempPrefix& prefix, bool create)
    : path_("C:\\Zelkora\\Data\\Zelkora.mdb"),
      native_(prefix.path("drive_c/Zelkora/Data/Zelkora.mdb")) {
    MakeDirs(prefix.path("drive_c/Zelkora/Data"));
    if (create) Run("create", "");
}

int TestCatalogue::TryRun(const std::string& command, const std::string& args, std::string* out) {
    return RunCommand(
        ToolsDir() + "/zelkora-catalogue " + command + " " + ShellQuote(native_) + " " + args, out);
}

void TestCatalogue::Run(const std::string& command, const std::string& args) {
    std::string out;
    int rc = TryRun(command, args, &out);
    ASSERT_EQ(rc, 0) << command << " " << args << ": " << out;
}

void TestCatalogue::AddTheme(const std::string& key, const std::string& text,
                             const std::string& opts) {
    Run("add-theme", ShellQuote(key) + " " + ShellQuote(text) + " " + opts);
}

void TestCatalogue::AddModule(const std::string& key, const std::string& theme,
                              const std::string& text, const std::string& opts) {
    Run("add-module",
        ShellQuote(key) + " " + ShellQuote(theme) + " " + ShellQuote(text) + " " + opts);
}

void TestCatalogue::AddToy(const std::string& key, const std::string& text,
                           const std::string& opts) {
    Run("add-toy", ShellQuote(key) + " " + ShellQuote(text) + " " + opts);
}

void TestCatalogue::Sql(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(native_.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << msg;
}

} // namespace testing_support
