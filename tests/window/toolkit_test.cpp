// The toolkit contract the window's logic relies on.
#include "runtime/failure.h"
#include "support/test_support.h"
#include "window/toolkit/toolkit.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

long FailureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Failure& e) {
        return e.Number;
    }
    return 0;
}

TEST(Toolkit, CheckBoxRaisesClickOnlyWhenItsValueChanges) {
    toolkit::CheckBox box("chkX", "X");
    int clicks = 0;
    box.Click = [&] { ++clicks; };
    box.SetValue(0);
    EXPECT_EQ(clicks, 0);
    box.SetValue(1);
    box.SetValue(1);
    EXPECT_EQ(clicks, 1);
    box.UserToggle();
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(clicks, 2);
}

TEST(Toolkit, ListBoxKeepsOrderAndSelectionAcrossRemovals) {
    toolkit::ListBox list("lstX");
    int clicks = 0;
    list.Click = [&] { ++clicks; };
    for (const char* t : {"c", "a", "b"})
        list.AddItem(t);
    EXPECT_EQ(list.List(0), "c"); // no sorting
    EXPECT_EQ(list.ListIndex(), -1);
    list.SetListIndex(2);
    EXPECT_EQ(clicks, 1);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), 1); // the selected entry moved up
    list.RemoveItem(1);
    EXPECT_EQ(list.ListIndex(), -1); // the selected entry is gone
    EXPECT_EQ(FailureOf([&] { list.RemoveItem(5); }), Err::InvalidProcedureCall);
    list.UserSelect(0);
    EXPECT_EQ(clicks, 2);
}

TEST(Toolkit, TreeKeysPositionsAndEvents) {
    toolkit::TreeView tree("TreeView");
    std::string events;
    tree.Click = [&] { events += "C"; };
    tree.DblClick = [&] { events += "D"; };
    tree.Add("", 0, "T1", "Theme");
    tree.Add("T1", toolkit::tvwChild, "M1", "Module");
    tree.Add("", 0, "T2", "Other");
    EXPECT_EQ(tree.Nodes(2).Parent(), 1);
    EXPECT_EQ(tree.Nodes(1).Children(), std::vector<int>{2});
    EXPECT_EQ(FailureOf([&] { tree.Add("", 0, "M1", "again"); }), 35602);
    EXPECT_EQ(FailureOf([&] { tree.Add("Nope", toolkit::tvwChild, "M2", "x"); }), 35601);
    EXPECT_EQ(FailureOf([&] { tree.Nodes(4); }), 35600);
    tree.UserDblClick(2);
    EXPECT_EQ(events, "CD"); // Click first
    EXPECT_EQ(tree.SelectedItem()->Index(), 2);
    tree.UserKeyboardSelect(3);
    EXPECT_EQ(events, "CDC"); // the keyboard's selection is a click
    tree.UserKeyboardSelect(3);
    EXPECT_EQ(events, "CDC"); // but only when it moves
    tree.Nodes(1).SetSelected(true);
    EXPECT_EQ(tree.SelectedItem()->Key(), "T1");
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.SelectedItem(), nullptr);
}

TEST(Toolkit, AnyFailureInAUserEventIsReportedWithTheHandlersName) {
    toolkit::CommandButton button("cmdGo", "&Go", "tip");
    ScriptedMsgBox box;
    struct Case {
        std::function<void()> fail;
        const char* report;
    } cases[] = {{[] { Raise(Err::FileNotFound); }, "Error: 53 - File not found"},
                 {[] { throw std::bad_alloc(); }, "Error: 7 - Out of memory"},
                 {[] { throw std::logic_error("vector"); }, "Error: 51 - Internal error"}};
    for (const auto& c : cases) {
        button.Click = c.fail;
        box.Expect(c.report, 16, "Zelkora Manager - cmdGo_Click ");
        button.UserClick();
        box.Verify();
    }
    button.SetEnabled(false);
    button.UserClick(); // a disabled button does nothing
}

TEST(Toolkit, PicturesAreRecognisedOrRefused) {
    TempPrefix prefix;
    WriteFile(prefix.path("drive_c/p.png"),
              std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x08", 24));
    WriteFile(prefix.path("drive_c/x.txt"), "text");
    toolkit::PictureBox pic("pct");
    pic.SetPicture("C:\\P.PNG");
    EXPECT_EQ(pic.GetPicture().format, "png");
    EXPECT_EQ(pic.GetPicture().width, 16);
    EXPECT_EQ(FailureOf([&] { pic.SetPicture("C:\\x.txt"); }), Err::InvalidPicture);
    EXPECT_EQ(FailureOf([&] { pic.SetPicture("C:\\none.bmp"); }), Err::FileNotFound);
    EXPECT_EQ(FailureOf([&] { pic.SetPicture(" "); }), Err::FileNotFound);
    EXPECT_EQ(pic.GetPicture().format, "png"); // a failed load keeps the picture
    pic.ClearPicture();
    EXPECT_TRUE(pic.GetPicture().empty());
}

} // namespace
