#include "runtime/msgbox.h"

#include "runtime/app.h"

#include <cstdio>

namespace {

int DefaultHandler(const std::string& text, int style, const std::string& title) {
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
    return (style & 0xF) == vbYesNo ? vbYes : vbOK;
}

MsgBoxHandler& Handler() {
    static MsgBoxHandler handler = DefaultHandler;
    return handler;
}

} // namespace

int MsgBox(const std::string& text, int style, const std::string& title) {
    return Handler()(text, style, title);
}

int MsgBox(const std::string& text, int style) {
    return MsgBox(text, style, App::Title());
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
    MsgBoxHandler previous = std::move(Handler());
    Handler() = handler ? std::move(handler) : MsgBoxHandler(DefaultHandler);
    return previous;
}
