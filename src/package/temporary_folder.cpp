#include "package/temporary_folder.h"

#include "package/manifest.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace package {

TemporaryFolder::TemporaryFolder(const std::string& parent) {
    std::string base = parent.empty() ? std::filesystem::temp_directory_path().string() : parent;
    std::string pattern = base + "/zelkora-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        throw Refused("cannot make a working folder in " + base + ": " + std::strerror(errno));
    path_ = name.data();
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace package
