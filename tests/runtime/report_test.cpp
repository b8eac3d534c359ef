#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ScriptedMsgBox;

TEST(Reports, StandardAndVariantForms) {
    ScriptedMsgBox box;
    Failure f(53, "File not found");
    box.Expect("Error: 53 - File not found", 16, "Zelkora Manager - Form_Load ");
    ReportFailure(f, "Form_Load");
    box.Expect("Error: 53 - File not found", 16, "Zelkora Manager");
    ReportError(f);
    box.Expect("53 - File not found", 16, "Zelkora Manager - zkr_SaveToyOrder");
    ReportBare(f, App::Title() + " - zkr_SaveToyOrder");
}

TEST(Reports, DefaultDescriptionsUseTheConventionalTexts) {
    try {
        Raise(Err::Overflow);
    } catch (const Failure& f) {
        EXPECT_EQ(f.Number, 6);
        EXPECT_EQ(f.Description, "Overflow");
    }
    EXPECT_EQ(DefaultDescription(9), "Subscript out of range");
    EXPECT_EQ(DefaultDescription(481), "Invalid picture");
}

TEST(MsgBoxPort, ReturnsTheHandlersAnswerAndRestoresTheDefault) {
    {
        ScriptedMsgBox box;
        box.Expect("Quit?", 33, "Zelkora Manager", vbCancel);
        EXPECT_EQ(MsgBox("Quit?", 33), vbCancel);
    }
    auto previous = SetMsgBoxHandler([](const std::string&, int, const std::string&) { return 7; });
    EXPECT_EQ(MsgBox("x", 36), 7);
    SetMsgBoxHandler(previous);
}

TEST(AppProperties, TitleAndVersion) {
    EXPECT_EQ(App::Title(), "Zelkora Manager");
    EXPECT_EQ(App::ProductName(), "Zelkora Manager");
    EXPECT_FALSE(App::CompanyName().empty());
}

TEST(AppEnd, EndsTheProcessAtOnce) {
    EXPECT_EXIT(End(), ::testing::ExitedWithCode(0), "");
}

} // namespace
