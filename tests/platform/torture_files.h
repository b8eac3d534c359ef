// The four kinds of file the prefix's writers replace, each read and written
// through the code that the program uses, with a value that shows whether it
// is whole: "seq:N:" and a long padding, then ":end".
#pragma once

#include <string>

namespace torture {

enum class Kind { Registry, Profile, Shell, Options };
inline constexpr Kind kKinds[] = {Kind::Registry, Kind::Profile, Kind::Shell, Kind::Options};

const char* Name(Kind k);
// The native path of the file a kind writes.
std::string Target(Kind k);
// The value as it is read now ("" when there is none).
std::string Read(Kind k);
// Writes a value; false when the write failed.
bool Write(Kind k, const std::string& value);

std::string Value(long seq);
// The number of a whole value, or -1 for a torn or malformed one.
long SeqOf(const std::string& value);

} // namespace torture
