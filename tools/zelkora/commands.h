// The commands of `zelkora` on the command line, on the installation of the
// prefix: the modules and toyz listed, and a module applied through the same
// Active Desktop path as the Manager's Apply.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Exit statuses: done, refused (one line says what and why), bad command line.
inline constexpr int kDone = 0, kRefused = 1, kBadCommandLine = 2;

// Runs a command (the words after `zelkora`); what it prints goes to out,
// refusals to err.
int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

} // namespace cli
