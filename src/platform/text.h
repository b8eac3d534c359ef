// Conversions between the program's UTF-8 text and the API's wide text.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

std::u16string ToWide(std::string_view utf8);
std::string FromWide(std::u16string_view wide);

// A template (a page, a script) with each {{NAME}} replaced by its value.
// Values go in as they are, never read again for fields: the caller escapes
// them for where they stand.
std::string FillFields(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& fields);

} // namespace platform
