#include "catalogue/zkr_basToyz.h"
#include "startup/AppState.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class Toyz : public ::testing::Test {
  protected:
    TempPrefix prefix;
    TestCatalogue cat{prefix};
    void SetUp() override { AppState = AppStateData{}; }
    std::vector<std::string> Texts(const std::vector<ToyRecord>& a, int count) {
        std::vector<std::string> r;
        for (int i = 1; i <= count; ++i)
            r.push_back(a[static_cast<size_t>(i)].ToyText);
        return r;
    }
};

using V = std::vector<std::string>;

TEST_F(Toyz, LoadInToyOrderWithActiveOnesApart) {
    cat.AddToy("k3", "Third", "--order 3 --active");
    cat.AddToy("k1", "First", "--order 1 --locked --null ToyCopyrightURL");
    cat.AddToy("k2", "Second", "--order 2 --active --preview p.bmp --copyright-url c.htm");
    ScriptedMsgBox box;
    zkr_LoadToyzData(cat.path());
    ASSERT_EQ(AppState.ToyCount, 3);
    EXPECT_EQ(Texts(AppState.AllToyz, 3), (V{"First", "Second", "Third"}));
    EXPECT_EQ(AppState.AllToyz[0].ToyText, "");
    EXPECT_TRUE(AppState.AllToyz[1].ToyIsLocked);
    EXPECT_FALSE(AppState.AllToyz[1].ToyIsActive);
    EXPECT_EQ(AppState.AllToyz[1].ToyCopyrightURL, " ");
    EXPECT_EQ(AppState.AllToyz[2].ToyPreviewPath, "p.bmp");
    EXPECT_EQ(AppState.AllToyz[2].ToyKey, "k2");
    ASSERT_EQ(AppState.ActiveToyCount, 2);
    EXPECT_EQ(Texts(AppState.ActiveToyz, 2), (V{"Second", "Third"}));
}

TEST_F(Toyz, SetActiveByCaptionAndInactiveForAll) {
    cat.AddToy("a", "Clock");
    cat.AddToy("b", "Notes", "--active");
    cat.AddToy("c", "Weather");
    cat.AddToy("d", "Clock");
    ScriptedMsgBox box;
    zkr_SetToysInActive(cat.path());
    zkr_SetToyActive(cat.path(), Variant("Clock"));
    zkr_SetToyActive(cat.path(), Variant("Weather"));
    zkr_SetToyActive(cat.path(), Variant("Nobody"));
    zkr_LoadToyzData(cat.path());
    EXPECT_EQ(Texts(AppState.ActiveToyz, AppState.ActiveToyCount),
              (V{"Clock", "Weather", "Clock"}));
}

TEST_F(Toyz, UninstallPathAndRemoval) {
    cat.AddToy("a", "Clock", "--uninstall 'C:\\Toyz\\Clock'");
    cat.AddToy("b", "Notes", "--null ToyUninstallPath");
    ScriptedMsgBox box;
    EXPECT_EQ(zkr_GetToyUninstallPath(cat.path(), "a"), "C:\\Toyz\\Clock");
    box.Expect("Error reading UninstallPath", 64, "Zelkora Toy Uninstall");
    EXPECT_EQ(zkr_GetToyUninstallPath(cat.path(), "zz"), "");
    box.Expect("Error: 94 - Invalid use of Null", 16, "Zelkora Manager - zkr_GetToyUninstallPath");
    EXPECT_EQ(zkr_GetToyUninstallPath(cat.path(), "b"), "");
    zkr_RemoveToyData(cat.path(), "zz"); // nothing to remove, nothing shown
    zkr_RemoveToyData(cat.path(), "a");
    EXPECT_FALSE(zkr_DoesToyExist(cat.path(), "a"));
    EXPECT_TRUE(zkr_DoesToyExist(cat.path(), "b"));
}

TEST_F(Toyz, NullFlagStopsTheLoadPartWay) {
    cat.AddToy("a", "One", "--active");
    cat.AddToy("b", "Two");
    cat.AddToy("c", "Three");
    ScriptedMsgBox box;
    zkr_LoadToyzData(cat.path());
    cat.Sql("UPDATE tblToyz SET ToyIsLocked = NULL WHERE ToyKey = 'b'");
    box.Expect("94 - Invalid use of Null", 16, "Zelkora Manager - zkr_LoadToyzData");
    zkr_LoadToyzData(cat.path());
    EXPECT_EQ(AppState.ToyCount, 3);
    EXPECT_EQ(AppState.AllToyz[1].ToyText, "One");
    EXPECT_EQ(AppState.AllToyz[3].ToyText, "");
    EXPECT_EQ(AppState.ActiveToyCount, 1); // the earlier active toyz stay
    EXPECT_EQ(AppState.ActiveToyz[1].ToyText, "One");
}

TEST_F(Toyz, MoreThan32767ToyzOverflow) {
    cat.Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
            "INSERT INTO tblToyz (ToyKey, ToyText, ToyIsLocked, ToyIsActive, ToyOrder) "
            "SELECT 'k' || i, 't' || i, 0, 0, i FROM n;");
    ScriptedMsgBox box;
    box.Expect("6 - Overflow", 16, "Zelkora Manager - zkr_LoadToyzData");
    zkr_LoadToyzData(cat.path());
    EXPECT_EQ(AppState.ToyCount, 0);
    EXPECT_EQ(AppState.AllToyz.size(), 1u);
}

} // namespace
