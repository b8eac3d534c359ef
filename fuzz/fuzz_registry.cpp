// The registry file reader must take any bytes, and what it writes back must
// read back to the same thing.
#include "platform/posix/registry_file.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto file = platform::reg::Parse(bytes);
    std::string once = platform::reg::Format(file);
    std::string twice = platform::reg::Format(platform::reg::Parse(once));
    if (once != twice) std::abort();
    if (platform::reg::Format(platform::reg::Parse(platform::reg::Encode(file))) != once)
        std::abort();
    for (auto& k : file.keys)
        platform::reg::FindValue(k, "ApplicationPath");
    platform::reg::KeyExists(file, "HKEY_LOCAL_MACHINE\\SOFTWARE");
    return 0;
}
