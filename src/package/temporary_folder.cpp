#include "package/temporary_folder.h"

#include "package/manifest.h"
#include "platform/native_files.h"

#include <filesystem>

namespace package {

TemporaryFolder::TemporaryFolder(const std::string& parent) {
    std::string base = parent.empty() ? std::filesystem::temp_directory_path().string() : parent;
    std::string error;
    path_ = platform::MakeTemporaryFolder(base, "zelkora-", error);
    if (path_.empty()) throw Refused("cannot make a working folder in " + base + ": " + error);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace package
