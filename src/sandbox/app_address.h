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
// The path under which a module's own page reads the values of its properties.
inline constexpr char kModulePropertiesPath[] = "/.zelkora/properties";
// The path under which an imported wallpaper's page gets the interface its
// program gave it (made with the values of the moment).
inline constexpr char kWallpaperInterfacePath[] = "/.zelkora/wallpaper.js";

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
    enum Kind {
        Refused,
        File,
        ToyFrame,
        ToyFrameElsewhere,
        ToyData,
        ModuleProperties,
        WallpaperInterface
    } kind = Refused;
    // File: the real path to read; ModuleProperties, WallpaperInterface: the module's folder
    std::string native;
    std::string toy;    // ToyFrame, ToyFrameElsewhere, ToyData: the toy's folder name
    std::string url;    // ToyFrameElsewhere: the toy frame's own address
    std::string why;    // Refused: the reason
};
// host: the request's origin; path: its decoded path ("/..."); encodedPath:
// the same as sent (to refuse encoded separators); initiator: the origin of the
// page that asks ("" for the browser itself, another scheme's as "scheme://host").
Access Resolve(const std::string& appRoot, const std::string& host, const std::string& path,
               const std::string& encodedPath, const std::string& initiator);

// The file, in a module's folder, that makes it a window on a web address:
// its first line is the address. Only the installer writes it, for modules
// the user makes from an address; packages that bring one are refused.
inline constexpr char kWebAddressFile[] = "address.zelkora-web";

// The web address the page zelkora://host/path may show in a frame, and
// whose site then reaches the network; "" for every other page. The page
// must be in a module's folder under that module's own origin.
std::string FramedAddress(const std::string& appRoot, const std::string& host,
                          const std::string& path);

// The file in which a toy's stored text is kept: <prefix>/toy-data/<Toy>.json.
std::string ToyDataFile(const std::string& toy);

} // namespace sandbox
