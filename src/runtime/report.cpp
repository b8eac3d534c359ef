#include "runtime/report.h"

#include "runtime/app.h"
#include "runtime/msgbox.h"

std::string ErrorText(const Failure& f) {
    return std::to_string(f.Number) + " - " + f.Description;
}

void ReportFailure(const Failure& f, std::string_view procedure) {
    MsgBox("Error: " + ErrorText(f), vbCritical,
           App::Title() + " - " + std::string(procedure) + " ");
}

void ReportError(const Failure& f) {
    ReportError(f, App::Title());
}

void ReportError(const Failure& f, const std::string& title) {
    MsgBox("Error: " + ErrorText(f), vbCritical, title);
}

void ReportBare(const Failure& f, const std::string& title) {
    MsgBox(ErrorText(f), vbCritical, title);
}
