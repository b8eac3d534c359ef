// Changes the emulated desktop through the Win32 calls, as the Manager does:
//   page PATH          SetWallpaper(PATH) and ApplyChanges(AD_APPLY_ALL)
//   remove-apply PATH  the wallpaper cleared and applied, then PATH applied
//   active-desktop on|off
//   classic BMP STYLE TILE  the classic wallpaper's tiling values, then
//                      SystemParametersInfoA(SPI_SETDESKWALLPAPER)
//   install FOLDER     the installation's ApplicationPath, as an installer sets it
//   setting NAME VALUE another of the installation's settings
//   display NAME [PATH] a display's own page, or none, as zelkora apply --display
#include "desktop/display_layout.h"
#include "platform/desktop_host.h"
#include "platform/text.h"
#include "platform/win32.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

IActiveDesktop* Shell() {
    void* p = nullptr;
    if (CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                         &p) != S_OK)
        return nullptr;
    return static_cast<IActiveDesktop*>(p);
}

bool Apply(const std::string& page) {
    IActiveDesktop* ad = Shell();
    if (!ad) return false;
    bool ok = ad->SetWallpaper(platform::ToWide(page).c_str(), 0) == S_OK &&
              ad->ApplyChanges(AD_APPLY_ALL) == S_OK;
    ad->Release();
    return ok;
}

bool SetValue(const char* name, const std::string& value, HKEY root = HKEY_CURRENT_USER,
              const char* key = "Control Panel\\Desktop") {
    HKEY k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr)) return false;
    LONG rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

} // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    std::string cmd = argc > 1 ? argv[1] : "";
    bool ok = false;
    if (cmd == "page" && argc == 3) {
        ok = Apply(argv[2]);
    } else if (cmd == "remove-apply" && argc == 3) {
        ok = Apply("") && Apply(argv[2]);
    } else if (cmd == "active-desktop" && argc == 3) {
        IActiveDesktop* ad = Shell();
        if (ad) {
            bool on = std::strcmp(argv[2], "on") == 0;
            COMPONENTSOPT co{};
            co.dwSize = sizeof co;
            co.fActiveDesktop = co.fEnableComponents = on ? -1 : 0;
            ok = ad->SetDesktopItemOptions(&co, 0) == S_OK && ad->ApplyChanges(AD_APPLY_ALL) == S_OK;
            ad->Release();
        }
    } else if (cmd == "install" && argc == 3) {
        ok = SetValue("ApplicationPath", argv[2], HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1");
    } else if (cmd == "setting" && argc == 4) {
        ok = SetValue(argv[2], argv[3], HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1");
    } else if (cmd == "classic" && argc == 5) {
        ok = SetValue("WallpaperStyle", argv[3]) && SetValue("TileWallpaper", argv[4]) &&
             SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, argv[2],
                                   SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    } else if (cmd == "display" && (argc == 3 || argc == 4)) {
        if (argc == 4) {
            ok = display_layout::ChooseForDisplay(argv[2], argv[3]);
        } else {
            display_layout::Choices own = display_layout::LoadChoices();
            own.erase(argv[2]);
            ok = display_layout::SaveChoices(own);
            platform::SignalDesktopChanged();
        }
    } else if (cmd == "span" && argc == 2) {
        ok = display_layout::SpanDisplays();
        platform::SignalDesktopChanged();
    } else {
        std::fprintf(stderr, "usage: desktop_apply page|display|span|remove-apply|active-desktop|classic ...\n");
        return 2;
    }
    return ok ? 0 : 1;
}
