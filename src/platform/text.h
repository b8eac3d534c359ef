// Conversions between the program's UTF-8 text and the API's wide text.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::u16string ToWide(std::string_view utf8);
std::string FromWide(std::u16string_view wide);

} // namespace platform
