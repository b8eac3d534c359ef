// Failure HRESULTs as a failure's number and description.
#pragma once

#include <string>

namespace platform {

// The system's text for an HRESULT.
std::string HResultText(long hr);

// Raises a Failure for a failed HRESULT; returns for a success code.
void CheckHResult(long hr);

} // namespace platform
