// A complete installation in a throw-away prefix, and a headless Manager on it.
#pragma once

#include "platform/posix/active_desktop_log.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"
#include "support/test_support.h"
#include "window/frmZKRMain.h"

#include <gtest/gtest.h>
#include <memory>

namespace testing_support {

struct EndCalled {};

// A small valid 24-bit bitmap.
std::string TinyBmp(int w, int h);

class ManagerTest : public ::testing::Test {
  protected:
    TempPrefix prefix;
    TestCatalogue cat{prefix};
    std::unique_ptr<ScriptedMsgBox> box = std::make_unique<ScriptedMsgBox>();
    std::unique_ptr<frmZKRMain> form;

    static constexpr const char* AP = "C:\\Zelkora\\";
    const std::string title = "Zelkora Manager";

    void SetUp() override;
    void TearDown() override;

    // <prefix>/drive_c/Zelkora/<relative>
    std::string App(const std::string& relative) const {
        return prefix.path("drive_c/Zelkora/" + relative);
    }
    void Shell(const std::string& args);
    // Two themes (Ocean: Waves, Reef; Space: Stars), with previews and pages.
    void StandardCatalogue();
    // Waves declares a property of each type: sea (colour), speed (0.5 to 2
    // by 0.5), sun (box), size (Fine or Large) and words (at most 5).
    void WavesProperties();
    std::string ModuleUrl(const std::string& name) const {
        return std::string(AP) + "Modules\\" + name + "\\ZKR" + name + ".htm";
    }
    // A new window, loaded as Main shows it.
    void Load();
    std::string Wallpaper();
    bool ActiveDesktopOn();
    // The node whose text is given (fails the test when absent).
    int NodeOf(const std::string& text);
    std::string Enabled(); // "ApplyRemoveUninstallTransparency" flags as e.g. "1010"
};

} // namespace testing_support
