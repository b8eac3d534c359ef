// Shared test fixtures: a throw-away prefix and a scripted message box.
#pragma once

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace testing_support {

// A fresh prefix folder, made the current one for the test's lifetime.
class TempPrefix {
  public:
    TempPrefix();
    ~TempPrefix();
    const std::string& dir() const { return dir_; }
    // <prefix>/<relative>
    std::string path(const std::string& relative) const { return dir_ + "/" + relative; }

  private:
    std::string dir_;
    std::string oldPrefix_;
    bool hadOld_ = false;
};

// Message boxes a test expects, in order, with their answers. Any other box
// fails the test; so does an expected box that never came.
class ScriptedMsgBox {
  public:
    ScriptedMsgBox();
    ~ScriptedMsgBox();
    ScriptedMsgBox& Expect(std::string text, int style, std::string title, int answer = 1);
    // Checks now that every expected box was shown.
    void Verify();
    int shown() const { return shown_; }

  private:
    struct Box {
        std::string text;
        int style;
        std::string title;
        int answer;
    };
    std::deque<Box> expected_;
    int shown_ = 0;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Polls done() every 20 ms until it holds or ms pass; its last answer.
bool WaitFor(const std::function<bool()>& done, int ms);
// What a detached program wrote to a file, once it holds a whole line (a file
// that exists may not be written yet); "" after about 5 s without one.
std::string WaitForLine(const std::string& path);
void MakeDirs(const std::string& path);

// Writes a registry file from export-format lines (header added).
void WriteRegistry(const TempPrefix& prefix, const std::string& body);

// The folder of the built command-line tools.
std::string ToolsDir();
// Runs a command through /bin/sh; returns its exit status and fills output.
int RunCommand(const std::string& command, std::string* output = nullptr);

} // namespace testing_support

namespace testing_support {

// A catalogue file in the prefix, made and filled with zelkora-catalogue.
class TestCatalogue {
  public:
    // Creates C:\Zelkora\Data\Zelkora.mdb in the current prefix.
    explicit TestCatalogue(const TempPrefix& prefix, bool create = true);
    // The Windows path the program is given.
    const std::string& path() const { return path_; }
    std::string native() const { return native_; }
    // Runs the tool with the arguments after the file; fails the test on error.
    void Run(const std::string& command, const std::string& args);
    // The same, returning the exit status and output.
    int TryRun(const std::string& command, const std::string& args, std::string* out = nullptr);
    void AddTheme(const std::string& key, const std::string& text, const std::string& opts = "");
    void AddModule(const std::string& key, const std::string& theme, const std::string& text,
                   const std::string& opts = "");
    void AddToy(const std::string& key, const std::string& text, const std::string& opts = "");
    // Runs SQL straight against the file (for states the tool refuses to make).
    void Sql(const std::string& sql);

  private:
    std::string path_;
    std::string native_;
};

// Quotes a text for /bin/sh.
std::string ShellQuote(const std::string& s);

} // namespace testing_support
