// The Manager without a view, for tests that need a real second process:
// runs Main, then keeps the window alive, writing what it was asked by other
// instances to <prefix>/requests.txt, until <prefix>/stop appears.
#include "platform/prefix.h"
#include "runtime/msgbox.h"
#include "window/frmZKRMain.h"
#include "window/zkr_Main.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <thread>

int main() {
    SetMsgBoxHandler([](const std::string& text, int style, const std::string& title) {
        std::fprintf(stderr, "MSGBOX [%s] (%d) %s\n", title.c_str(), style, text.c_str());
        return (style & 0xF) == 4 ? 6 : 1;
    });
    Main();
    frmZKRMain& w = frmZKRMain::Instance();
    if (!w.Me.Visible()) return 3;
    std::string dir = platform::PrefixDir();
    std::ofstream(dir + "/ready") << "ready\n";
    std::string last;
    for (int i = 0; i < 3000; ++i) {
        std::string now =
            std::to_string(w.FlashRequests.load()) + " " + std::to_string(w.RaiseRequests.load());
        if (now != last) {
            std::ofstream(dir + "/requests.txt", std::ios::trunc) << now << "\n";
            last = now;
        }
        struct stat st;
        if (::stat((dir + "/stop").c_str(), &st) == 0) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 4;
}
