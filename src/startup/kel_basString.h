// Text helpers.
#pragma once

#include "runtime/variant.h"

#include <string>

// The value, or valueIfNull when the value is Null.
Variant kel_Nz(const Variant& value, const Variant& valueIfNull);

// The text before the first NUL character.
std::string kel_TrimAtNull(const std::string& text);

// The text without leading and trailing blanks (spaces).
std::string kel_Trim(const std::string& text);

// The same for a value that is no longer needed: it is moved, not copied.
Variant kel_Nz(Variant&& value, const Variant& valueIfNull);
