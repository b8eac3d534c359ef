// The demo installation is complete and its uninstallers work.
#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "runtime/app.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"
#include "support/test_support.h"

#include <filesystem>
#include <set>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

// The prefix's installation as the Manager loads it: the whole demo.
void ExpectWholeDemo() {
    ScriptedMsgBox box;
    AppState = AppStateData{};
    kel_SetEnvironment();
    zkr_LoadRegistryEntries();
    EXPECT_EQ(AppState.ApplicationPath, "C:\\Program Files\\Zelkora\\");
    zkr_LoadModuleData(DataFilePath());
    zkr_LoadToyzData(DataFilePath());
    EXPECT_EQ(AppState.ModuleItemCount, 13); // 4 themes, 9 modules
    EXPECT_EQ(AppState.ToyCount, 5);
}

TEST(Demo, BuildsACompleteInstallationWithWorkingUninstallers) {
    TempPrefix prefix;
    std::string out;
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
    ExpectWholeDemo();
    int locked = 0;
    for (int i = 1; i <= AppState.ToyCount; ++i)
        locked += AppState.AllToyz[static_cast<size_t>(i)].ToyIsLocked;
    EXPECT_EQ(locked, 1);
    std::string app = prefix.path("drive_c/Program Files/Zelkora/");
    for (const char* f :
         {"defaultmodulecopyright.htm", "defaulttoyzcopyright.htm", "defaultad.htm",
          "defaulthelp.htm", "defaultupdate.htm", "themes/options.txt", "ZelToyz/ZelToyz.txt",
          "zelkora.ini", "zelkora.js", "zelkora.css", "Modules/Ocean/Waves/ZKRWaves.htm",
          "ZelToyz/Sticky Notes/toy.js", "ZelToyz/Sticky Notes/setup.exe"})
        EXPECT_TRUE(FileExists(app + f)) << f;
    EXPECT_FALSE(FileExists(app + "templates"));
    EXPECT_EQ(ReadFile(app + "ZelToyz/ZelToyz.txt"), "&myFav1=Clock&myFav2=Sticky Notes&\r\n");
    // Every module and toy names a preview; builds with Qt render them.
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const auto& item = AppState.ModuleItems[static_cast<size_t>(i)];
        if (item.TreeType == 200) {
            EXPECT_NE(item.PreviewPath.find("preview.png"), std::string::npos);
        }
    }
#ifdef ZELKORA_QT_BUILD
    EXPECT_EQ(ReadFile(app + "Modules/Ocean/Waves/preview.png").substr(1, 3), "PNG");
    EXPECT_EQ(ReadFile(app + "ZelToyz/Moon Phase/preview.png").substr(1, 3), "PNG");
    EXPECT_EQ(ReadFile(app + "zelkora.bmp").substr(0, 2), "BM");
#endif

    // A second run leaves the installation alone.
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0);
    EXPECT_NE(out.find("nothing changed"), std::string::npos);

    // A module's uninstaller removes its own folder; the de-installer the rest.
    ASSERT_EQ(RunCommand(ShellQuote(app + "Modules/Ocean/Waves/setup.exe") + " /uninst", &out), 0);
    EXPECT_FALSE(FileExists(app + "Modules/Ocean/Waves"));
    EXPECT_TRUE(FileExists(app + "Modules/Ocean/CoralReef"));
    MakeDirs(prefix.path("toy-data"));
    WriteFile(prefix.path("toy-data/Sticky Notes.json"), R"({"text":"a note"})");
    WriteFile(prefix.path("toy-data/Clock.json"), "{}");
    ASSERT_EQ(RunCommand(ShellQuote(app + "ZelToyz/Sticky Notes/setup.exe") + " /uninst", &out), 0);
    EXPECT_FALSE(FileExists(app + "ZelToyz/Sticky Notes"));
    EXPECT_FALSE(FileExists(prefix.path("toy-data/Sticky Notes.json"))); // its text goes with it
    EXPECT_TRUE(FileExists(app + "ZelToyz/Clock"));
    WriteFile(prefix.path("desktop.changes"), "3\n");
    ASSERT_EQ(RunCommand(ShellQuote(app + "uninstall.exe") + " /all", &out), 0) << out;
    // Nothing of Zelkora is left in the prefix: the emulated machine's own
    // registry and shell, and an empty drive C:.
    std::set<std::string> left;
    for (const auto& e : std::filesystem::recursive_directory_iterator(prefix.dir()))
        left.insert(e.path().string().substr(prefix.dir().size()));
    EXPECT_EQ(left, (std::set<std::string>{"/.lock", "/drive_c", "/drive_c/Program Files",
                                           "/registry.reg", "/shell.ini"}));
    std::string reg = ReadFile(prefix.path("registry.reg"));
    EXPECT_EQ(reg.find("SOFTWARE\\Zelkora"), std::string::npos);
    EXPECT_NE(reg.find("Control Panel\\Desktop"), std::string::npos);
}

TEST(Demo, ASetUpKilledAtAnyMomentIsMadeWholeByTheNextRun) {
    TempPrefix prefix;
    namespace fs = std::filesystem;
    for (int ms : {0, 2, 5, 10, 20, 40, 70, 100}) {
        // A half installation from before set-ups were all or nothing: the
        // application folder, nothing in it.
        fs::remove_all(prefix.dir());
        MakeDirs(prefix.path("drive_c/Program Files/Zelkora/Data"));
        std::string out;
        RunCommand(ToolsDir() + "/zelkora-demo & sleep " + std::to_string(ms / 1000.0) +
                   "; kill -9 $! 2>/dev/null; wait");
        ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
        SCOPED_TRACE("killed after " + std::to_string(ms) + " ms: " + out);
        ExpectWholeDemo();
    }
    // Nothing is left beside the prefix.
    fs::path self(prefix.dir());
    for (const auto& e : fs::directory_iterator(self.parent_path()))
        EXPECT_NE(e.path().filename().string().rfind(self.filename().string() + ".setup-", 0), 0u)
            << e.path();
}

TEST(Demo, TheDeInstallerTakesAPrefixWithQuotesAndShellCharactersLiterally) {
    TempPrefix outer;
    // A crafted name: were it pasted into the script, the quote would end the
    // word and the rest would run.
    std::string prefix = outer.path("it's $(touch pwned) `touch pwned2`; touch pwned3 '");
    MakeDirs(prefix + "/drive_c");
    std::string out;
    ASSERT_EQ(RunCommand("cd " + ShellQuote(outer.dir()) + " && ZELKORA_PREFIX=" +
                             ShellQuote(prefix) + " " + ToolsDir() + "/zelkora-demo",
                         &out),
              0)
        << out;
    std::string app = prefix + "/drive_c/Program Files/Zelkora/";
    ASSERT_TRUE(FileExists(app + "uninstall.exe"));
    ASSERT_EQ(RunCommand("cd " + ShellQuote(outer.dir()) + " && " +
                             ShellQuote(app + "uninstall.exe") + " /all",
                         &out),
              0)
        << out;
    EXPECT_FALSE(FileExists(app));
    EXPECT_EQ(ReadFile(prefix + "/registry.reg").find("SOFTWARE\\Zelkora"), std::string::npos);
    for (const char* f : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(FileExists(outer.path(f))) << f;
}

} // namespace
