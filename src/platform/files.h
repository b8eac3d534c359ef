// Sequential text files as the program writes and reads them, with the
// runtime's failures: "Path not found" (76) for a missing folder, "File not
// found" (53), "Path/File access error" (75), "Input past end of file" (62).
#pragma once

#include <string>

namespace platform {

// Replaces (or creates) a file with the content, atomically.
void WriteTextFile(const std::string& path, const std::string& content);

// The first line of a file, without its line end.
std::string ReadFirstLine(const std::string& path);

} // namespace platform
