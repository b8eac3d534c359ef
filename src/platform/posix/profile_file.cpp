#include "platform/posix/profile_file.h"

#include "platform/prefix.h"

namespace platform::ini {

namespace {

constexpr size_t npos = std::string::npos;

std::string Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

} // namespace

std::optional<std::string> SectionName(std::string_view line) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t[0] != '[') return std::nullopt;
    size_t close = t.find(']');
    std::string_view name = close == npos ? t.substr(1) : t.substr(1, close - 1);
    return std::string(TrimBlanks(name));
}

bool SplitKeyLine(std::string_view line, std::string& key, std::string& value) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == npos) return false;
    key = std::string(TrimBlanks(t.substr(0, eq)));
    value = Unquote(TrimBlanks(t.substr(eq + 1)));
    return true;
}

Document Document::Parse(std::string_view bytes) {
    Document d;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        Line ln;
        if (j == npos) {
            ln.text = bytes.substr(i);
            i = bytes.size();
        } else {
            ln.text = bytes.substr(i, j - i);
            if (bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') {
                ln.eol = "\r\n";
                i = j + 2;
            } else {
                ln.eol = bytes.substr(j, 1);
                i = j + 1;
            }
        }
        d.lines_.push_back(std::move(ln));
    }
    return d;
}

std::string Document::Serialize() const {
    std::string out;
    for (const auto& l : lines_)
        out += l.text + l.eol;
    return out;
}

size_t Document::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionName(lines_[i].text);
        if (name && EqualsNoCase(*name, TrimBlanks(section))) return i;
    }
    return npos;
}

size_t Document::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i].text))
        ++i;
    return i;
}

size_t Document::FindKey(size_t header, std::string_view key) const {
    std::string k, v;
    size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (SplitKeyLine(lines_[i].text, k, v) && EqualsNoCase(k, TrimBlanks(key))) return i;
    return npos;
}

std::optional<std::string> Document::Get(std::string_view section, std::string_view key) const {
    size_t h = FindSection(section);
    if (h == npos) return std::nullopt;
    size_t i = FindKey(h, key);
    if (i == npos) return std::nullopt;
    std::string k, v;
    SplitKeyLine(lines_[i].text, k, v);
    return v;
}

std::vector<std::string> Document::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& l : lines_)
        if (auto n = SectionName(l.text)) names.push_back(*n);
    return names;
}

std::vector<std::string> Document::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    size_t h = FindSection(section);
    if (h == npos) return names;
    std::string k, v;
    for (size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
        if (SplitKeyLine(lines_[i].text, k, v)) names.push_back(k);
    return names;
}

void Document::Set(std::string_view section, std::string_view key, std::string_view value) {
    // A last line without its line end gets one before anything follows it.
    auto terminateLast = [this]() {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = "\r\n";
    };
    size_t h = FindSection(section);
    if (h == npos) {
        terminateLast();
        lines_.push_back({"[" + std::string(TrimBlanks(section)) + "]", "\r\n"});
        lines_.push_back({std::string(TrimBlanks(key)) + "=" + std::string(value), "\r\n"});
        return;
    }
    size_t i = FindKey(h, key);
    if (i != npos) {
        std::string k, v;
        SplitKeyLine(lines_[i].text, k, v);
        lines_[i].text = k + "=" + std::string(value);
        return;
    }
    // After the last non-blank line of the section.
    size_t pos = h;
    for (size_t j = h + 1, end = SectionEnd(h); j < end; ++j)
        if (!TrimBlanks(lines_[j].text).empty()) pos = j;
    if (lines_[pos].eol.empty()) lines_[pos].eol = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                  Line{std::string(TrimBlanks(key)) + "=" + std::string(value), "\r\n"});
}

bool Document::RemoveKey(std::string_view section, std::string_view key) {
    size_t h = FindSection(section);
    if (h == npos) return false;
    size_t i = FindKey(h, key);
    if (i == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

bool Document::RemoveSection(std::string_view section) {
    size_t h = FindSection(section);
    if (h == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(h)));
    return true;
}

} // namespace platform::ini
