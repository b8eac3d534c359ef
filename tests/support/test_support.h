// Shared test fixtures: a throw-away prefix and a scripted message box.
#pragma once

#include <deque>
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
void MakeDirs(const std::string& path);

// Writes a registry file from export-format lines (header added).
void WriteRegistry(const TempPrefix& prefix, const std::string& body);

// The folder of the built command-line tools.
std::string ToolsDir();
// Runs a command through /bin/sh; returns its exit status and fills output.
int RunCommand(const std::string& command, std::string* output = nullptr);

} // namespace testing_support
