#include "runtime/app.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

struct EndCalled {};

const char* kNames[] = {"ApplicationPath", "ModulesPath", "DeInstallPath",
                        "DataPath",        "INIFilePath", "INIFileName"};
const char* kMessages[] = {
    "Error reading registry [Application Path]. Ensure the application is setup properly.",
    "Error reading registry [Modules Path]. Ensure the application is setup properly.",
    "Error reading registry [DeInstallPath]. Ensure the application is setup properly.",
    "Error reading registry [Data Path]. Ensure the application is setup properly.",
    "Error reading registry [INI Path]. Ensure the application is setup properly.",
    "Error reading registry [INI File Name]. Ensure the application is setup properly."};

// The six settings, with row `broken` written as `brokenLine` (or left out).
std::string Settings(int broken = -1, const std::string& brokenLine = "") {
    const char* values[] = {"C:\\\\Zelkora\\\\",
                            "C:\\\\Zelkora\\\\Modules\\\\",
                            "C:\\\\Zelkora\\\\uninst.exe /all",
                            "C:\\\\Zelkora\\\\Data\\\\",
                            "C:\\\\Zelkora\\\\",
                            "zelkora.ini"};
    std::string s = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora\\Zelkora\\1]\r\n";
    for (int i = 0; i < 6; ++i)
        s += i == broken ? brokenLine
                         : "\"" + std::string(kNames[i]) + "\"=\"" + values[i] + "\"\r\n";
    return s;
}

class Settings_ : public ::testing::Test {
  protected:
    TempPrefix prefix;
    void SetUp() override {
        AppState = AppStateData{};
        SetEndHandler([] { throw EndCalled{}; });
    }
    void TearDown() override { SetEndHandler(nullptr); }
};

TEST_F(Settings_, AllSixAreReadAndThePreferencesPathIsJoined) {
    std::string v254(254, 'q'); // the longest value read whole
    WriteRegistry(prefix, Settings(5, "\"INIFileName\"=\"" + v254 + "\"\r\n"));
    ScriptedMsgBox box;
    kel_SetEnvironment();
    EXPECT_EQ(AppState.RegistryKey, "SOFTWARE\\Zelkora\\Zelkora\\1");
    zkr_LoadRegistryEntries();
    EXPECT_EQ(AppState.ApplicationPath, "C:\\Zelkora\\");
    EXPECT_EQ(AppState.DeInstallPath, "C:\\Zelkora\\uninst.exe /all");
    EXPECT_EQ(AppState.DataPath, "C:\\Zelkora\\Data\\");
    EXPECT_EQ(AppState.INIFile, "C:\\Zelkora\\" + v254);
}

TEST_F(Settings_, EachMissingValueEndsWithItsOwnMessageAndNothingLaterIsRead) {
    const std::string variants[] = {"",
                                    "\"@NAME@\"=\"\"\r\n",
                                    "\"@NAME@\"=hex(1):\r\n",
                                    "\"@NAME@\"=hex(2):43,00,3a,00,5c,00,00,00\r\n",
                                    "\"@NAME@\"=\"" + std::string(255, 'p') + "\"\r\n",
                                    "\"@NAME@\"=dword:00000001\r\n"};
    for (int row = 0; row < 6; ++row) {
        for (const auto& v : variants) {
            std::string line = v;
            if (auto p = line.find("@NAME@"); p != std::string::npos)
                line.replace(p, 6, kNames[row]);
            WriteRegistry(prefix, Settings(row, line));
            AppState = AppStateData{};
            kel_SetEnvironment();
            ScriptedMsgBox box;
            box.Expect(kMessages[row], 16, "Zelkora Manager");
            EXPECT_THROW(zkr_LoadRegistryEntries(), EndCalled) << kNames[row] << " " << v;
            // The rows after the missing one are never read.
            if (row < 1) {
                EXPECT_EQ(AppState.ModulesPath, "");
            }
            if (row < 3) {
                EXPECT_FALSE(AppState.DataPath.has_value());
            }
            if (row < 5) {
                EXPECT_FALSE(AppState.INIFileName.has_value());
            }
            EXPECT_EQ(AppState.INIFile, "");
        }
    }
}

TEST(SettingsProcess, AMissingSettingEndsTheRealProcess) {
    TempPrefix prefix;
    kel_SetEnvironment();
    EXPECT_EXIT(zkr_LoadRegistryEntries(), ::testing::ExitedWithCode(0),
                "Error reading registry \\[Application Path\\]");
}

} // namespace
