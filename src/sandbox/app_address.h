// Where an installed page lives on the web: the installation is served under
// the application scheme, zelkora://ORIGIN/PATH, PATH being the file's path in
// the application folder (so relative links keep working) and ORIGIN one of
// its own for each module and each toy, "app" for the installation's own
// pages. This unit decides what each origin may read; it knows no browser.
#pragma once

#include <string>
#include <vector>

namespace sandbox {

inline constexpr char kScheme[] = "zelkora";
inline constexpr char kAppOrigin[] = "app";
// The path under which a toy's own frame keeps its stored text.
inline constexpr char kToyDataPath[] = "/.zelkora/storage";

// The origin of a file given by its path in the application folder (its
// components, as on disk): "m-<hash>" for a module's folder
// Modules\<Theme>\<Module>\, "t-<hash>" for a toy's ZelToyz\<Toy>\, else "app".
std::string OriginOf(const std::vector<std::string>& relative);

// The address of a native path, or why it has none: it must name an existing
// plain file inside the installation, by its real place (links followed).
struct Address {
    std::string url;     // zelkora://ORIGIN/PATH, percent-encoded; "" when refused
    std::string problem; // why it was refused
};
Address AddressOf(const std::string& appRoot, const std::string& nativePath);

// What a request for zelkora://host/path may get.
struct Access {
    enum Kind { Refused, File, ToyFrame, ToyFrameElsewhere, ToyData } kind = Refused;
    std::string native; // File: the real path to read
    std::string toy;    // ToyFrame, ToyFrameElsewhere, ToyData: the toy's folder name
    std::string url;    // ToyFrameElsewhere: the toy frame's own address
    std::string why;    // Refused: the reason
};
// host: the request's origin; path: its decoded path ("/..."); encodedPath:
// the same as sent (to refuse encoded separators); initiator: the origin of the
// page that asks ("" for the browser itself, another scheme's as "scheme://host").
Access Resolve(const std::string& appRoot, const std::string& host, const std::string& path,
               const std::string& encodedPath, const std::string& initiator);

// The file in which a toy's stored text is kept: <prefix>/toy-data/<Toy>.json.
std::string ToyDataFile(const std::string& toy);

} // namespace sandbox
