// The profile reader must take any bytes; a write keeps every other byte and
// the value written reads back.
#include "platform/posix/profile_file.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto doc = platform::ini::Document::Parse(bytes);
    if (doc.Serialize() != bytes) std::abort();
    doc.Get("Options", "ExitAfterApply");
    doc.SectionNames();
    doc.KeyNames("Options");
    doc.Set("Options", "MinimizeAfterApply", "1");
    auto again = platform::ini::Document::Parse(doc.Serialize());
    auto v = again.Get("Options", "MinimizeAfterApply");
    if (!v || *v != "1") std::abort();
    again.RemoveSection("Options");
    return 0;
}
