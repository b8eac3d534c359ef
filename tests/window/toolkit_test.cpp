// The toolkit contract the window's logic relies on.
#include "runtime/failure.h"
#include "support/test_support.h"
#include "window/toolkit/toolkit.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

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

} // namespace
