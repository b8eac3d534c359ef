// main() of the test programs that need a Qt application and a browser.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The offscreen platform unless a display is asked for; the browser runs
    // without its sandbox (tests run as root in CI) and without a GPU.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging", 0);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
