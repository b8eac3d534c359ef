// The message-box port. The window toolkit installs the handler that really
// asks the user; tests install one that scripts the answers.
#pragma once

#include <functional>
#include <string>

// Styles (buttons + icon) and answers.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbYesNo = 4;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

using MsgBoxHandler =
    std::function<int(const std::string& text, int style, const std::string& title)>;

// Shows a box and returns the answer. The title defaults to the application title.
int MsgBox(const std::string& text, int style, const std::string& title);
int MsgBox(const std::string& text, int style = vbOKOnly);

// Replaces the handler; returns the previous one. An empty handler restores the
// default, which writes the box to standard error and answers its first button.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);
