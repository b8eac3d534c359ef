// What is wrong with an item before it is installed: every problem of a
// folder or package, for authors (--check) and for the installer alike.
#pragma once

#include "package/archive.h"
#include "package/manifest.h"

#include <string>
#include <vector>

namespace package {

// Checks an unpacked item: its manifest, the files it names, its pages, the
// names and sizes of its files. manifest gets what was read of zelkora.json.
std::vector<Problem> CheckFolder(const std::string& folder, Manifest& manifest,
                                 const Limits& limits = {});

// Checks a folder or a package file (unpacked into a temporary folder);
// manifest, where given, gets what was read of zelkora.json.
std::vector<Problem> CheckPath(const std::string& path, const Limits& limits = {},
                               Manifest* manifest = nullptr);

bool HasErrors(const std::vector<Problem>& problems);
// The problems one a line: "FILE: message", warnings marked as such.
std::string ProblemText(const std::vector<Problem>& problems, bool warnings = true);

} // namespace package
