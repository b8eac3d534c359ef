// A folder of its own that is removed with everything in it when it goes.
#pragma once

#include <string>

namespace package {

class TemporaryFolder {
  public:
    // Made under parent, or under the system's temporary folder.
    explicit TemporaryFolder(const std::string& parent = "");
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

} // namespace package
