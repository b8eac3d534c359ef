// Conversions between the program's UTF-8 text and the API's wide text.
#pragma once

#include "platform/win32.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The API's wide text: UTF-16 code units, whatever type the system gives them
// (wchar_t on Windows, char16_t in our own layer).
using Wide = std::basic_string<WCHAR>;
using WideView = std::basic_string_view<WCHAR>;

Wide ToWide(std::string_view utf8);
std::string FromWide(WideView wide);

// The same text as UTF-16LE bytes. Bytes that are not UTF-8 travel as lone
// low surrogates, so that any narrow text comes back unchanged.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);

// A template (a page, a script) with each {{NAME}} replaced by its value.
// Values go in as they are, never read again for fields: the caller escapes
// them for where they stand.
std::string FillFields(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& fields);

} // namespace platform
