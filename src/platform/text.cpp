#include "platform/text.h"

#include "platform/posix/registry_file.h"

namespace platform {

std::u16string ToWide(std::string_view utf8) {
    std::string bytes = reg::Utf8ToUtf16Le(utf8);
    std::u16string w(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return w;
}

std::string FromWide(std::u16string_view wide) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return reg::Utf16LeToUtf8(bytes);
}

std::string FillFields(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
        std::string mark = "{{" + name + "}}";
        for (size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    }
    return text;
}

} // namespace platform
