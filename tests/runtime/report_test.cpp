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

} // namespace
