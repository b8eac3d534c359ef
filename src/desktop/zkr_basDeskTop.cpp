#include "desktop/zkr_basDeskTop.h"

#include "platform/win32.h"
#include "runtime/report.h"
#include "startup/kel_basRegistry.h"

void kel_ApplyWallPaperO(const std::string& path) {
    try {
        std::string buffer = path;
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    } catch (const Failure& f) {
        ReportFailure(f, "kel_ApplyWallPaperO");
    }
}

void kel_TileWallPaperO() {
    try {
        kel_SetRegistryString("Control Panel\\Desktop", "WallpaperStyle", "1", HKEY_CURRENT_USER);
        kel_SetRegistryString("Control Panel\\Desktop", "TileWallpaper", "1", HKEY_CURRENT_USER);
    } catch (const Failure& f) {
        ReportFailure(f, "kel_TileWallPaperO_ERROR");
    }
}
