// main() of the test programs that need a Qt application and a browser.
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The offscreen platform unless a display is asked for; the browser runs
    // without its sandbox (tests run as root in CI) and as the programs run it.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    sandbox::SetBrowserSwitches();
    sandbox::RegisterAppScheme();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
