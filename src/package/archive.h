// Package files: ZIP archives read with libarchive under limits that stop
// hostile archives (links, paths out of the folder, devices, bombs) before
// anything of them lands outside the folder they are unpacked into.
#pragma once

#include <cstdint>
#include <string>

namespace package {

struct Limits {
    uint64_t entries = 10000;
    uint64_t bytes = 512ull << 20; // unpacked, in all
    uint64_t ratio = 200;          // unpacked bytes per byte of the archive...
    uint64_t ratioFrom = 1u << 20; // ...once this much is unpacked
};

// Unpacks the archive into folder, an existing empty folder. Throws Refused
// naming the archive and the entry at fault; what was unpacked before the
// fault stays in folder, which the caller removes.
void Unpack(const std::string& archive, const std::string& folder, const Limits& limits = {});

// Writes the files under folder into a ZIP archive at output, replacing it
// only once the archive is whole. Throws Refused.
void Pack(const std::string& folder, const std::string& output);

// Why a path inside a package cannot be unpacked as it stands ("" when it
// can): absolute, with "." or ".." or an empty part, or a part that cannot
// be a Windows name.
std::string EntryPathProblem(const std::string& path);

} // namespace package
