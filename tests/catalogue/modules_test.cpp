#include "catalogue/zkr_basData.h"
#include "catalogue/zkr_basModules.h"
#include "startup/AppState.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const char* kMissing = " does not exist.  The Zelkora data file is unavailable.  Ensure Zelkora "
                       "Manager is installed properly.";

class Modules : public ::testing::Test {
  protected:
    TempPrefix prefix;
    TestCatalogue cat{prefix};
    void SetUp() override { AppState = AppStateData{}; }
    void TwoThemesThreeModules() {
        cat.AddTheme("Ocean", "Ocean Theme");
        cat.AddTheme("Space", "Space Theme");
        cat.AddModule("Waves", "Ocean", "Waves",
                      "--url 'C:\\Mods\\ZKRwaves.htm' --preview p.bmp "
                      "--copyright c --copyright-url cu --uninstall u");
        cat.AddModule("Reef", "Ocean", "Reef", "--null ModuleBannerURL --null ModuleCopyrightURL");
        cat.AddModule("Stars", "Space", "Stars", "--banner-url b");
    }
};

TEST_F(Modules, ThemesFirstThenModulesWithElementZeroUnused) {
    ScriptedMsgBox box;
    // Modules without themes, then themes without modules, load nothing.
    cat.Sql("INSERT INTO tblModules (ModuleKey, ModuleThemeKey, ModuleTreeType) "
            "VALUES ('M','X',200);");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 0);
    cat.Sql("DELETE FROM tblModules; INSERT INTO tblThemes VALUES ('Lone', 'Lone', 100);");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 0);
    EXPECT_EQ(AppState.ModuleItems.size(), 1u);
    cat.Sql("DELETE FROM tblThemes;");
    TwoThemesThreeModules();
    zkr_LoadModuleData(cat.path());
    ASSERT_EQ(AppState.ModuleItemCount, 5);
    ASSERT_EQ(AppState.ModuleItems.size(), 6u);
    const auto& items = AppState.ModuleItems;
    EXPECT_EQ(items[0].Key, "");
    EXPECT_EQ(items[0].TreeType, 0);
    EXPECT_EQ(items[1].Key, "Ocean");
    EXPECT_EQ(items[1].TreeType, 100);
    EXPECT_EQ(items[1].ParentKey, "");
    EXPECT_EQ(items[1].Copyright, " ");
    EXPECT_EQ(items[1].CopyrightURL, " ");
    EXPECT_EQ(items[1].BannerURL, "");
    EXPECT_EQ(items[1].URL, "");
    EXPECT_EQ(items[2].Key, "Space");
    EXPECT_EQ(items[3].Key, "Waves");
    EXPECT_EQ(items[3].ParentKey, "Ocean");
    EXPECT_EQ(items[3].TreeType, 200);
    EXPECT_EQ(items[3].URL, "C:\\Mods\\ZKRwaves.htm");
    EXPECT_EQ(items[3].PreviewPath, "p.bmp");
    EXPECT_EQ(items[3].CopyrightURL, "cu");
    EXPECT_EQ(items[4].BannerURL, " "); // Null reads as a single space
    EXPECT_EQ(items[4].CopyrightURL, " ");
    EXPECT_EQ(items[5].Key, "Stars");
    EXPECT_EQ(items[5].BannerURL, "b");
}

TEST_F(Modules, AFailurePartWayKeepsWhatWasLoadedAndTheFullCount) {
    TwoThemesThreeModules();
    cat.Sql("UPDATE tblModules SET ModuleTreeType = 'abc' WHERE ModuleKey = 'Reef'");
    ScriptedMsgBox box;
    box.Expect("13 - Type mismatch", 16, "Zelkora Manager - zkr_LoadModuleData");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 5);
    EXPECT_EQ(AppState.ModuleItems[3].Key, "Waves");
    EXPECT_EQ(AppState.ModuleItems[4].Key, "Reef"); // filled up to the failing field
    EXPECT_EQ(AppState.ModuleItems[4].TreeType, 0);
    EXPECT_EQ(AppState.ModuleItems[5].Key, "");
    EXPECT_EQ(AppState.ModuleItems[5].TreeType, 0);
    cat.Sql("UPDATE tblModules SET ModuleTreeType = NULL WHERE ModuleKey = 'Reef'");
    box.Expect("13 - Type mismatch", 16, "Zelkora Manager - zkr_LoadModuleData");
    zkr_LoadModuleData(cat.path());
}

TEST_F(Modules, MoreThan32767ItemsOverflowTheCount) {
    cat.Sql("INSERT INTO tblThemes VALUES ('T', 'T', 100);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
            "INSERT INTO tblModules (ModuleKey, ModuleThemeKey, ModuleTreeType) "
            "SELECT 'M' || i, 'T', 200 FROM n;");
    ScriptedMsgBox box;
    box.Expect("6 - Overflow", 16, "Zelkora Manager - zkr_LoadModuleData");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 0);
    cat.Sql("DELETE FROM tblModules WHERE ModuleKey = 'M1'");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 32767);
    EXPECT_EQ(AppState.ModuleItems[32767].Key, "M32767");
}

TEST_F(Modules, MissingFileIsToldOncePerCall) {
    TwoThemesThreeModules();
    ScriptedMsgBox box;
    std::string wrong = "C:\\Zelkora\\DataZelkora.mdb"; // DataPath without its backslash
    box.Expect(wrong + kMissing, 16, "Zelkora Manager");
    zkr_LoadModuleData(wrong);
    EXPECT_EQ(AppState.ModuleItemCount, 0);
    box.Expect(wrong + kMissing, 16, "Zelkora Manager");
    EXPECT_FALSE(zkr_DoesModuleExist(wrong, "Waves"));
    box.Expect(wrong + kMissing, 16, "Zelkora Manager");
    EXPECT_EQ(zkr_GetModuleUninstallPath(wrong, "Waves"), "");
    box.Expect(wrong + kMissing, 16, "Zelkora Manager");
    zkr_RemoveModuleData(wrong, "Waves", "Ocean");
    box.Expect("C:\\Zelkora\\Data" + std::string(kMissing), 16, "Zelkora Manager");
    EXPECT_FALSE(zkr_IsDataFileAvailable("C:\\Zelkora\\Data")); // a folder is no data file
    // A path the file system rejects with an error rather than an answer.
    box.Expect("52 - Bad file name or number", 16, "Zelkora Manager");
    EXPECT_FALSE(zkr_IsDataFileAvailable("C:\\" + std::string(5000, 'x') + "\\Zelkora.mdb"));
}

TEST_F(Modules, RemovingTheLastModuleOfAThemeRemovesTheTheme) {
    TwoThemesThreeModules();
    ScriptedMsgBox box;
    zkr_RemoveModuleData(cat.path(), "Waves", "Ocean");
    EXPECT_FALSE(zkr_DoesModuleExist(cat.path(), "Waves"));
    EXPECT_TRUE(zkr_DoesThemeExist(cat.path(), "Ocean")); // Reef is left
    zkr_RemoveModuleData(cat.path(), "Reef", "Ocean");
    EXPECT_FALSE(zkr_DoesThemeExist(cat.path(), "Ocean"));
    EXPECT_TRUE(zkr_DoesThemeExist(cat.path(), "Space"));
    // The module's row already gone: the empty theme still goes.
    cat.Sql("DELETE FROM tblModules WHERE ModuleKey = 'Stars'");
    EXPECT_TRUE(zkr_IsThemePhantomed(cat.path(), "Space"));
    zkr_RemoveModuleData(cat.path(), "Stars", "Space");
    EXPECT_FALSE(zkr_DoesThemeExist(cat.path(), "Space"));
}

TEST_F(Modules, UninstallPathLookups) {
    TwoThemesThreeModules();
    ScriptedMsgBox box;
    EXPECT_EQ(zkr_GetModuleUninstallPath(cat.path(), "Waves"), "u");
    box.Expect("Error reading UninstallPath", 64, "Zelkora Module Uninstall");
    EXPECT_EQ(zkr_GetModuleUninstallPath(cat.path(), "Nothing"), "");
    box.Expect("Error: 94 - Invalid use of Null", 16,
               "Zelkora Module Uninstall - zkr_GetModuleUninstallPath() ");
    EXPECT_EQ(zkr_GetModuleUninstallPath(cat.path(), "Reef"), "");
}

TEST_F(Modules, KeysWithQuotesAndOtherSignsAreOrdinaryValues) {
    const std::string keys[] = {"O'Brien",      "say \"hi\"", "a;DROP TABLE tblThemes", "100%",
                                "x' OR '1'='1", "--",         "Zélkora Ünïcode"};
    int n = 0;
    for (const auto& k : keys) {
        cat.AddTheme("T" + k, "theme " + std::to_string(n));
        cat.AddModule(k, "T" + k, "module " + std::to_string(n++),
                      "--uninstall " + ShellQuote("C:\\u\\" + k));
    }
    cat.AddTheme("Other", "Other");
    cat.AddModule("Keep", "Other", "Keep");
    ScriptedMsgBox box;
    for (const auto& k : keys) {
        EXPECT_TRUE(zkr_DoesModuleExist(cat.path(), k)) << k;
        EXPECT_TRUE(zkr_DoesThemeExist(cat.path(), "T" + k)) << k;
        EXPECT_FALSE(zkr_IsThemePhantomed(cat.path(), "T" + k)) << k;
        EXPECT_EQ(zkr_GetModuleUninstallPath(cat.path(), k), "C:\\u\\" + k);
    }
    for (const auto& k : keys)
        zkr_RemoveModuleData(cat.path(), k, "T" + k);
    zkr_LoadModuleData(cat.path());
    ASSERT_EQ(AppState.ModuleItemCount, 2);
    EXPECT_EQ(AppState.ModuleItems[1].Key, "Other");
    EXPECT_EQ(AppState.ModuleItems[2].Key, "Keep");
}

TEST_F(Modules, DamagedOrForeignCataloguesAreReportedNotFatal) {
    ScriptedMsgBox box;
    WriteFile(cat.native(), "this is no database, just text that is long enough to look at");
    box.Expect("26 - file is not a database", 16, "Zelkora Manager - zkr_LoadModuleData");
    zkr_LoadModuleData(cat.path());
    EXPECT_EQ(AppState.ModuleItemCount, 0);
    box.Expect("26 - file is not a database", 16, "Zelkora Manager - zkr_DoesModuleExist");
    EXPECT_FALSE(zkr_DoesModuleExist(cat.path(), "x"));
    box.Expect("26 - file is not a database", 16, "Zelkora Manager - zkr_DoesModuleExist");
    box.Expect("26 - file is not a database", 16, "Zelkora Manager - zkr_IsThemePhantomed");
    zkr_RemoveModuleData(cat.path(), "x", "y"); // a failed phantom test keeps the theme
    // Half a schema fails on the missing table.
    std::filesystem::remove(cat.native());
    cat.Run("create", "");
    cat.Sql("DROP TABLE tblModules; INSERT INTO tblThemes VALUES ('T', 'T', 100);");
    box.Expect("1 - no such table: tblModules", 16, "Zelkora Manager - zkr_LoadModuleData");
    zkr_LoadModuleData(cat.path());
    box.Expect("1 - no such table: tblModules", 16, "Zelkora Manager - zkr_IsThemePhantomed");
    EXPECT_FALSE(zkr_IsThemePhantomed(cat.path(), "T"));
}

TEST_F(Modules, AFailingThemeDeletionIsReportedByTheRemoval) {
    TwoThemesThreeModules();
    cat.Sql("CREATE TRIGGER keep BEFORE DELETE ON tblThemes BEGIN SELECT RAISE(ABORT, 'theme is "
            "locked'); END;");
    ScriptedMsgBox box;
    box.Expect("Error: 19 - theme is locked", 16, "Zelkora Manager - zkr_RemoveModuleData");
    zkr_RemoveModuleData(cat.path(), "Stars", "Space");
    EXPECT_FALSE(zkr_DoesModuleExist(cat.path(), "Stars"));
    EXPECT_TRUE(zkr_DoesThemeExist(cat.path(), "Space"));
}

} // namespace
