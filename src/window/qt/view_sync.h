// What the files of the main view share: the program's text as Qt's, and
// how a widget tells that its control changed since it was last drawn.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace qtview {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The control's revision last drawn: Changed says whether there is more.
template <class T> struct Seen {
    uint64_t revision = ~0ULL;
    bool Changed(const T& c) {
        if (c.Revision() == revision) return false;
        revision = c.Revision();
        return true;
    }
};

} // namespace qtview
