#include "startup/kel_basFile.h"
#include "startup/kel_basOS.h"
#include "startup/kel_basString.h"
#include "startup/kel_basWeb.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(StripExtension, TakesTheLastComponent) {
    ScriptedMsgBox box;
    EXPECT_EQ(kel_StripExtensionFromFileName("C:\\A\\B\\zkrpage.htm"), "zkrpage.htm");
    EXPECT_EQ(kel_StripExtensionFromFileName("zkrpage.htm"), "zkrpage.htm");
    EXPECT_EQ(kel_StripExtensionFromFileName("C:\\A\\"), "");
    EXPECT_EQ(kel_StripExtensionFromFileName(""), "");
    EXPECT_EQ(kel_StripExtensionFromFileName("C:/A/b.htm"), "C:/A/b.htm");
}

TEST(StripExtension, OverlongTextFailsOnItsCounterAndComesBackWhole) {
    ScriptedMsgBox box;
    box.Expect("Error: 6.  Overflow", 64, " - kel_StripExtensionFromFileName()");
    std::string longName = "C:\\dir\\" + std::string(32800, 'a');
    EXPECT_EQ(kel_StripExtensionFromFileName(longName), longName);
    std::string limit = "C:\\" + std::string(32764, 'b');
    EXPECT_EQ(kel_StripExtensionFromFileName(limit), std::string(32764, 'b'));
}

TEST(Probes, XPOrGreaterFollowsTheVersionInTheShellState) {
    TempPrefix prefix;
    struct Case {
        const char* version;
        bool xp;
    } cases[] = {{"5.0", false}, {"5.1", true},  {"5.2", true}, {"6.0", true},
                 {"6.1", true},  {"10.0", true}, {"4.9", false}};
    for (auto c : cases) {
        WriteFile(prefix.path("shell.ini"),
                  std::string("[System]\r\nVersion=") + c.version + "\r\n");
        EXPECT_EQ(kel_IsXPOrGreater(), c.xp) << c.version;
    }
}

} // namespace
