// The failure reports that the procedures show.
#pragma once

#include "runtime/failure.h"

#include <string>
#include <string_view>

// number & " - " & description
std::string ErrorText(const Failure& f);

// The standard report: "Error: " & number & " - " & description, critical icon,
// titled application title & " - " & procedure & " ".
void ReportFailure(const Failure& f, std::string_view procedure);

// "Error: " & number & " - " & description, critical icon, the given title
// (the application title alone by default).
void ReportError(const Failure& f);
void ReportError(const Failure& f, const std::string& title);

// number & " - " & description (no "Error: "), critical icon, the given title.
void ReportBare(const Failure& f, const std::string& title);
