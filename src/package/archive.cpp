#include "package/archive.h"

#include "package/manifest.h"
#include "platform/native_files.h"
#include "platform/prefix.h"

#include <archive.h>
#include <archive_entry.h>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace package {

namespace {

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;
using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;

std::string Base(const std::string& path) {
    return fs::path(path).filename().string();
}

[[noreturn]] void Refuse(const std::string& archive, const std::string& message) {
    throw Refused(Base(archive) + ": " + message);
}

// libarchive's description of its last failure; it may have none.
std::string ErrorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "no detail";
}

std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts;
    size_t from = 0;
    while (true) {
        size_t to = path.find_first_of("/\\", from);
        parts.push_back(path.substr(from, to - from));
        if (to == std::string::npos) break;
        from = to + 1;
    }
    return parts;
}

} // namespace

std::string EntryPathProblem(const std::string& path) {
    if (path.empty()) return "an entry has no name";
    if (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'))
        return "the entry " + path + " has an absolute path";
    std::vector<std::string> parts = Parts(path);
    if (parts.back().empty()) parts.pop_back(); // a folder's closing slash
    for (const std::string& part : parts) {
        if (part == "..") return "the entry " + path + " leads out of the package (..)";
        if (part.empty() || part == ".") return "the entry " + path + " has an empty or . part";
        if (std::string why = WindowsNameProblem(part); !why.empty())
            return "the entry " + path + " cannot be a Windows name: " + why;
    }
    return {};
}

void Unpack(const std::string& file, const std::string& folder, const Limits& limits) {
    std::error_code statError;
    if (!fs::is_regular_file(fs::status(file, statError)))
        Refuse(file, "it cannot be read" + (statError ? ": " + statError.message() : std::string()));
    const uint64_t packedSize = fs::file_size(file, statError);
    Reader a(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), file.c_str(), 1 << 16) != ARCHIVE_OK)
        Refuse(file, "it is not a ZIP archive");
    uint64_t entries = 0, unpacked = 0;
    std::set<std::string> seen; // upper-cased: Windows does not tell A from a
    archive_entry* entry = nullptr;
    while (true) {
        int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r < ARCHIVE_WARN)
            Refuse(file, entries == 0 ? "it is not a ZIP archive"
                                      : std::string("it is damaged or truncated (") +
                                            ErrorOf(a.get()) + ")");
        if (++entries > limits.entries)
            Refuse(file, "it has more than " + std::to_string(limits.entries) + " entries");
        const char* name = archive_entry_pathname(entry);
        std::string path = name ? name : "";
        if (std::string why = EntryPathProblem(path); !why.empty()) Refuse(file, why);
        if (archive_entry_hardlink(entry) || archive_entry_filetype(entry) == AE_IFLNK)
            Refuse(file, "the entry " + path + " is a link");
        const auto type = archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR)
            Refuse(file, "the entry " + path + " is a device or special file");
        while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
            path.pop_back();
        for (char& c : path)
            if (c == '\\') c = '/';
        if (!seen.insert(platform::ToUpperAscii(path)).second)
            Refuse(file, "the entry " + path + " is in it twice");
        fs::path target = fs::path(folder) / path;
        std::error_code ec;
        if (type == AE_IFDIR) {
            fs::create_directories(target, ec);
            if (ec) Refuse(file, "the entry " + path + " cannot be unpacked: " + ec.message());
            continue;
        }
        fs::create_directories(target.parent_path(), ec);
        // Only folders and plain files made here exist under folder, so no
        // link can lead a write out of it; a new file, never a link, holds that.
        platform::NativeFile out = platform::NativeFile::CreateNew(target.string());
        if (ec || !out.IsOpen())
            Refuse(file, "the entry " + path + " cannot be unpacked: " +
                             (ec ? ec.message() : out.Error()));
        const void* block;
        size_t size;
        la_int64_t offset;
        while (true) {
            r = archive_read_data_block(a.get(), &block, &size, &offset);
            if (r == ARCHIVE_EOF) break;
            if (r < ARCHIVE_WARN)
                Refuse(file, "it is damaged or truncated at " + path + " (" +
                                 ErrorOf(a.get()) + ")");
            unpacked += size;
            bool tooBig = unpacked > limits.bytes;
            bool bomb = unpacked > limits.ratioFrom &&
                        unpacked / limits.ratio > packedSize;
            if (tooBig || bomb)
                Refuse(file, tooBig ? "it unpacks to more than " +
                                          std::to_string(limits.bytes >> 20) + " MB"
                                    : "it unpacks to over " + std::to_string(limits.ratio) +
                                          " times its size (a ZIP bomb)");
            if (!out.WriteAt(offset, static_cast<const char*>(block), size))
                Refuse(file, "cannot unpack " + path + ": " + out.Error());
        }
        if (!out.Close()) Refuse(file, "cannot unpack " + path + ": " + out.Error());
    }
}

void Pack(const std::string& folder, const std::string& output) {
    std::string temporary = output + ".part";
    Writer a(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(a.get());
    if (archive_write_open_filename(a.get(), temporary.c_str()) != ARCHIVE_OK)
        Refuse(output, std::string("cannot be written: ") + ErrorOf(a.get()));
    auto fail = [&](const std::string& message) {
        a.reset();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        Refuse(output, message);
    };
    std::vector<fs::path> files;
    std::error_code ec;
    // The package may be written into the folder it packs: neither it nor
    // its part-written file goes into itself.
    const fs::path outputPath = fs::weakly_canonical(output, ec);
    const fs::path temporaryPath = fs::weakly_canonical(temporary, ec);
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink()) fail(it->path().string() + " is a link; a package holds no links");
        if (!it->is_regular_file()) continue;
        fs::path path = fs::weakly_canonical(it->path());
        if (path != outputPath && path != temporaryPath) files.push_back(it->path());
    }
    if (ec) fail("cannot read " + folder + ": " + ec.message());
    std::sort(files.begin(), files.end());
    std::vector<char> buffer(1 << 16);
    for (const fs::path& path : files) {
        std::string rel = fs::relative(path, folder).generic_string();
        platform::NativeFile in = platform::NativeFile::OpenForReading(path.string());
        if (!in.IsOpen()) fail("cannot read " + rel + ": " + in.Error());
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> e(archive_entry_new(),
                                                                        archive_entry_free);
        archive_entry_set_pathname(e.get(), rel.c_str());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), in.Size());
        archive_entry_set_mtime(e.get(), in.ModifiedSeconds(), 0);
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK)
            fail("cannot write " + rel + " into it: " + ErrorOf(a.get()));
        // A file that cannot be read to its end fails the package, rather than
        // going into it cut short.
        for (int64_t n; (n = in.Read(buffer.data(), buffer.size())) != 0;) {
            if (n < 0) fail("cannot read " + rel + ": " + in.Error());
            if (archive_write_data(a.get(), buffer.data(), static_cast<size_t>(n)) != n)
                fail("cannot write " + rel + " into it: " + ErrorOf(a.get()));
        }
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        fail(std::string("cannot be written: ") + ErrorOf(a.get()));
    a.reset();
    std::error_code renamed, ignored;
    fs::rename(temporary, output, renamed);
    if (renamed) {
        fs::remove(temporary, ignored);
        Refuse(output, "cannot be written: " + renamed.message());
    }
}

} // namespace package
