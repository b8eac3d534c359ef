#include "platform/native_files.h"

#include <utility>

namespace platform {

NativeFile::NativeFile(NativeFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), error_(std::move(other.error_)),
      size_(other.size_), modified_(other.modified_) {}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) Release(handle_);
        handle_ = std::exchange(other.handle_, kClosed);
        error_ = std::move(other.error_);
        size_ = other.size_;
        modified_ = other.modified_;
    }
    return *this;
}

NativeFile::~NativeFile() {
    if (IsOpen()) Release(handle_);
}

} // namespace platform
