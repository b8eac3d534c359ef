#include "platform/prefix.h"

#include <filesystem>
#include <mutex>

namespace platform {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() > suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

std::string TemporaryNameFor(const std::string& nativePath) {
    std::filesystem::path target(nativePath);
    std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    return (folder / ("." + target.filename().string() + ".new")).string();
}

std::string ReadWholeFile(const std::string& nativePath) {
    std::string text;
    return ReadWholeFile(nativePath, text) ? text : std::string();
}

namespace {

std::recursive_mutex& ThreadLock() {
    static std::recursive_mutex m;
    return m;
}

thread_local int lockDepth = 0; // the lock is taken again by nested read-modify-writes

} // namespace

WriteLock::WriteLock() {
    ThreadLock().lock();
    if (lockDepth++ == 0) held_ = LockPrefixFile();
}

WriteLock::~WriteLock() {
    --lockDepth;
    UnlockPrefixFile(held_);
    ThreadLock().unlock();
}

} // namespace platform
