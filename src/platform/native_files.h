// What the program needs of the file system beyond the Win32 API and the
// standard library: files opened without following links, a working folder
// held by one process at a time, a private temporary folder, a real path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A file opened by name, never through a link at its last component: what a
// package holds is a stranger's, and a link must not lead a read or a write
// out of its folder. Closed with the object.
class NativeFile {
  public:
    // A new file for writing; fails when the name exists, as a link too.
    static NativeFile CreateNew(const std::string& path);
    // An existing plain file for reading.
    static NativeFile OpenForReading(const std::string& path);

    NativeFile(NativeFile&& other) noexcept;
    NativeFile& operator=(NativeFile&& other) noexcept;
    ~NativeFile();

    bool IsOpen() const { return handle_ != kClosed; }
    // What the system said of the last step that failed.
    const std::string& Error() const { return error_; }
    // Taken when the file was opened.
    int64_t Size() const { return size_; }
    int64_t ModifiedSeconds() const { return modified_; }

    // Writes all of data at offset; false (and Error) when it cannot.
    bool WriteAt(int64_t offset, const char* data, size_t size);
    // Reads the next bytes: their count, 0 at the end, -1 (and Error) on failure.
    int64_t Read(char* data, size_t size);
    // False (and Error) when what was written could not be kept.
    bool Close();

  private:
    static constexpr intptr_t kClosed = -1;
    NativeFile() = default;
    // The system's side: lets an open handle go; false when what was
    // written could not be kept (errno or the last error tells why).
    static bool Release(intptr_t handle);
    intptr_t handle_ = kClosed; // a descriptor, or a Windows handle
    std::string error_;
    int64_t size_ = 0, modified_ = 0;
};

// A working folder shared by processes: made when missing, held by one of
// them at a time (the constructor waits for it), and removed when the holder
// leaves it empty, so that nothing is left behind. The folder may be removed
// by the holder before; the next holder makes it again.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return handle_ != -1; }
    const std::string& Error() const { return error_; }

  private:
    std::string folder_;
    intptr_t handle_ = -1;
    std::string error_;
};

// Makes a new folder under parent that only this user may enter, named
// PREFIXxxxxxx; its path, or "" with error set.
std::string MakeTemporaryFolder(const std::string& parent, const std::string& prefix,
                                std::string& error);

// The path with every link and "." or ".." resolved, '/' separated; "" when
// it does not exist.
std::string RealPath(const std::string& path);

} // namespace platform
