#include "platform/posix/registry_file.h"

#include "platform/prefix.h"

#include <cstdio>
#include <utility>

namespace platform::reg {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "text" with \\ and \" escapes; pos points at the opening quote and ends past
// the closing one. False when the text is not closed.
bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '\\' && pos < s.size() && (s[pos] == '\\' || s[pos] == '"')) {
            out.push_back(s[pos++]);
        } else if (c == '"') {
            return true;
        } else {
            out.push_back(c);
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view s, std::string& out) {
    out.clear();
    s = TrimBlanks(s);
    if (s.empty()) return true;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i + 1 >= s.size() + 0 && i >= s.size()) break;
        int hi = i < s.size() ? HexDigit(s[i]) : -1;
        int lo = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i < s.size()) {
            if (s[i] != ',') return false;
            ++i;
        }
    }
    return true;
}

bool IsTextType(uint32_t t) {
    return t == 1 || t == 2 || t == 7;
}

bool ParseValueLine(std::string_view line, bool regedit4, Value& v) {
    size_t pos = 0;
    if (line.empty()) return false;
    if (line[0] == '@') {
        v.name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, pos, v.name)) {
        return false;
    }
    std::string_view rest = TrimBlanks(line.substr(pos));
    if (rest.empty() || rest[0] != '=') return false;
    rest = TrimBlanks(rest.substr(1));
    if (!rest.empty() && rest[0] == '"') {
        size_t p = 0;
        std::string text;
        if (!ParseQuoted(rest, p, text) || !TrimBlanks(rest.substr(p)).empty()) return false;
        v.type = 1;
        v.data = text;
        v.data.push_back('\0');
        return true;
    }
    if (rest.substr(0, 6) == "dword:") {
        std::string_view h = TrimBlanks(rest.substr(6));
        if (h.empty() || h.size() > 8) return false;
        uint32_t n = 0;
        for (char c : h) {
            int d = HexDigit(c);
            if (d < 0) return false;
            n = n * 16 + static_cast<uint32_t>(d);
        }
        v.type = 4;
        v.data.assign(4, '\0');
        for (int i = 0; i < 4; ++i)
            v.data[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
        return true;
    }
    if (rest.substr(0, 4) == "hex:") {
        v.type = 3;
        return ParseHexBytes(rest.substr(4), v.data);
    }
    if (rest.substr(0, 4) == "hex(") {
        size_t close = rest.find(')');
        if (close == std::string_view::npos || close == 4 || close > 12 ||
            close + 1 >= rest.size() || rest[close + 1] != ':')
            return false;
        uint32_t t = 0;
        for (size_t i = 4; i < close; ++i) {
            int d = HexDigit(rest[i]);
            if (d < 0) return false;
            t = t * 16 + static_cast<uint32_t>(d);
        }
        v.type = t;
        if (!ParseHexBytes(rest.substr(close + 2), v.data)) return false;
        if (IsTextType(t) && !regedit4) {
            if (v.data.size() % 2 != 0) return false;
            v.data = Utf16LeToUtf8(v.data);
        }
        return true;
    }
    return false;
}

std::string Escape(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        if (c == '\\' || c == '"') r.push_back('\\');
        r.push_back(c);
    }
    return r;
}

std::string HexList(std::string_view bytes) {
    std::string r;
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) r.push_back(',');
        r += b;
    }
    return r;
}

} // namespace

File Parse(std::string_view bytes) {
    std::string text;
    bool utf16 = false;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = Utf16LeToUtf8(bytes.substr(2));
        utf16 = true;
    } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        text = bytes.substr(3);
    } else {
        text = bytes;
    }
    // Physical lines, then logical ones: a hex value whose line ends in a
    // backslash goes on in the next line. A joined value that does not parse is
    // kept as its physical lines, so that writing it back reads the same.
    std::vector<std::string> physical;
    {
        size_t i = 0;
        while (i < text.size()) {
            size_t j = text.find('\n', i);
            if (j == std::string::npos) j = text.size();
            std::string_view ln(text.data() + i, j - i);
            if (!ln.empty() && ln.back() == '\r') ln.remove_suffix(1);
            physical.emplace_back(ln);
            i = j + 1;
        }
    }
    struct Logical {
        std::string joined;
        std::string physical;
    };
    std::vector<Logical> lines;
    for (size_t i = 0; i < physical.size(); ++i) {
        Logical l{physical[i], physical[i]};
        auto continues = [](std::string_view t) {
            t = TrimBlanks(t);
            return !t.empty() && (t[0] == '"' || t[0] == '@') && t.back() == '\\' &&
                   t.find("=hex") != std::string_view::npos;
        };
        while (continues(l.joined) && i + 1 < physical.size()) {
            std::string_view t = TrimBlanks(l.joined);
            l.joined =
                std::string(t.substr(0, t.size() - 1)) + std::string(TrimBlanks(physical[++i]));
            l.physical += "\r\n" + physical[i];
        }
        lines.push_back(std::move(l));
    }
    File f;
    f.utf16 = utf16;
    bool headerSeen = false;
    for (const auto& logical : lines) {
        const std::string& line = logical.physical;
        std::string_view t = TrimBlanks(logical.joined);
        if (!headerSeen && !t.empty()) {
            headerSeen = true;
            if (t == "REGEDIT4") {
                f.regedit4 = true;
                continue;
            }
            if (t == "Windows Registry Editor Version 5.00") continue;
        }
        if (!t.empty() && t[0] == '[' && t.back() == ']' && t.size() > 2) {
            std::string path(TrimBlanks(t.substr(1, t.size() - 2)));
            while (!path.empty() && path.back() == '\\')
                path.pop_back();
            // "[-key]" deletes a key in an import; it is kept as a line, not a key.
            if (!path.empty() && path[0] != '-' && path == TrimBlanks(path)) {
                f.keys.push_back({std::move(path), {}});
                continue;
            }
        }
        if (f.keys.empty()) {
            if (!t.empty()) f.preamble.emplace_back(line);
            continue;
        }
        if (t.empty()) continue;
        Entry e;
        if (ParseValueLine(t, f.regedit4, e.value)) {
            e.isValue = true;
        } else {
            e.raw = line;
        }
        f.keys.back().entries.push_back(std::move(e));
    }
    return f;
}

std::string Format(const File& f) {
    std::string out = f.regedit4 ? "REGEDIT4\r\n" : "Windows Registry Editor Version 5.00\r\n";
    for (const auto& p : f.preamble)
        out += p + "\r\n";
    for (const auto& k : f.keys) {
        out += "\r\n[" + k.path + "]\r\n";
        for (const auto& e : k.entries) {
            if (!e.isValue) {
                out += e.raw + "\r\n";
                continue;
            }
            const Value& v = e.value;
            out += v.name.empty() ? std::string("@") : "\"" + Escape(v.name) + "\"";
            out += "=";
            bool plainText = v.type == 1 && !v.data.empty() && v.data.back() == '\0' &&
                             v.data.find('\0') == v.data.size() - 1 &&
                             v.data.find_first_of("\r\n") == std::string::npos;
            if (plainText) {
                out += "\"" + Escape(std::string_view(v.data).substr(0, v.data.size() - 1)) + "\"";
            } else if (v.type == 4 && v.data.size() == 4) {
                uint32_t n = 0;
                for (int i = 3; i >= 0; --i)
                    n = (n << 8) | static_cast<unsigned char>(v.data[i]);
                char b[20];
                std::snprintf(b, sizeof b, "dword:%08x", n);
                out += b;
            } else if (v.type == 3) {
                out += "hex:" + HexList(v.data);
            } else {
                char b[20];
                std::snprintf(b, sizeof b, "hex(%x):", v.type);
                out += b;
                out += HexList(IsTextType(v.type) && !f.regedit4 ? Utf8ToUtf16Le(v.data) : v.data);
            }
            out += "\r\n";
        }
    }
    return out;
}

std::string Encode(const File& f) {
    std::string text = Format(f);
    return f.utf16 ? "\xFF\xFE" + Utf8ToUtf16Le(text) : text;
}

int KeyIndex(const File& file, std::string_view path) {
    for (size_t i = 0; i < file.keys.size(); ++i)
        if (EqualsNoCase(file.keys[i].path, path)) return static_cast<int>(i);
    return -1;
}

bool KeyExists(const File& file, std::string_view path) {
    for (const auto& k : file.keys) {
        if (EqualsNoCase(k.path, path)) return true;
        if (k.path.size() > path.size() && k.path[path.size()] == '\\' &&
            EqualsNoCase(std::string_view(k.path).substr(0, path.size()), path))
            return true;
    }
    return false;
}

const Value* FindValue(const Key& key, std::string_view name) {
    for (const auto& e : key.entries)
        if (e.isValue && EqualsNoCase(e.value.name, name)) return &e.value;
    return nullptr;
}

Value* FindValue(Key& key, std::string_view name) {
    return const_cast<Value*>(FindValue(std::as_const(key), name));
}

} // namespace platform::reg
