// Profile (INI) files as the profile functions see them: lines kept byte for
// byte, with sections and keys found without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

struct Line {
    std::string text; // without its line end
    std::string eol;  // "\r\n", "\n", "\r" or "" for a last line without one
};

class Document {
  public:
    static Document Parse(std::string_view bytes);
    std::string Serialize() const;

    // The value of a key (blanks trimmed, one pair of surrounding quotes
    // removed); no value when the section or key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Sets a key, creating the section at the end when absent.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes a key, or a whole section; false when there was nothing to remove.
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    const std::vector<Line>& lines() const { return lines_; }

  private:
    // Index of the first line of the first section of that name, or npos.
    size_t FindSection(std::string_view section) const;
    size_t SectionEnd(size_t header) const;
    size_t FindKey(size_t header, std::string_view key) const;
    std::vector<Line> lines_;
};

// What a line is: a section header, a key line, or anything else.
std::optional<std::string> SectionName(std::string_view line);
bool SplitKeyLine(std::string_view line, std::string& key, std::string& value);

} // namespace platform::ini
