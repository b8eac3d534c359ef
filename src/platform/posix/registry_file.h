// The registry file of the prefix: the Registry Editor export format, parsed
// into keys and values and written back preserving what was not changed.
#pragma once

#include "platform/text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::reg {

struct Value {
    std::string name;  // "" is the default value (@)
    uint32_t type = 1; // REG_SZ
    std::string data;  // raw bytes; text types hold narrow (UTF-8) text
};

// One line of a section: a value, or a line kept verbatim (comments,
// deletions, lines this reader does not understand).
struct Entry {
    bool isValue = false;
    Value value;
    std::string raw;
};

struct Key {
    std::string path; // e.g. HKEY_LOCAL_MACHINE\SOFTWARE\Zelkora
    std::vector<Entry> entries;
};

struct File {
    bool regedit4 = false;             // REGEDIT4 header: text data in hex is narrow, not UTF-16
    bool utf16 = false;                // the file was UTF-16LE with a byte-order mark
    std::vector<std::string> preamble; // lines before the first section (header excluded)
    std::vector<Key> keys;
};

// Never fails: what it cannot read is kept verbatim.
File Parse(std::string_view bytes);
// The file's text (UTF-8), and its bytes in the encoding it was read in.
std::string Format(const File& file);
std::string Encode(const File& file);

// Lookups without regard to case. KeyIndex is -1 when no section has the path.
int KeyIndex(const File& file, std::string_view path);
bool KeyExists(const File& file, std::string_view path);
Value* FindValue(Key& key, std::string_view name);
const Value* FindValue(const Key& key, std::string_view name);

using platform::Utf16LeToUtf8;
using platform::Utf8ToUtf16Le;

} // namespace platform::reg
