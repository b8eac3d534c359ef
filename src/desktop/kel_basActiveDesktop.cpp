#include "desktop/kel_basActiveDesktop.h"

#include "platform/hresult.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "runtime/report.h"
#include "startup/AppState.h"
#include "startup/kel_basFile.h"
#include "startup/kel_basOS.h"
#include "startup/kel_basString.h"

namespace {

using platform::CheckHResult;

// One shell object for the length of one operation, released on every path.
class ActiveDesktopObject {
  public:
    ActiveDesktopObject() {
        void* p = nullptr;
        CheckHResult(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IActiveDesktop, &p));
        ad_ = static_cast<IActiveDesktop*>(p);
    }
    ~ActiveDesktopObject() {
        if (ad_) ad_->Release();
    }
    ActiveDesktopObject(const ActiveDesktopObject&) = delete;
    ActiveDesktopObject& operator=(const ActiveDesktopObject&) = delete;
    IActiveDesktop* operator->() const { return ad_; }

  private:
    IActiveDesktop* ad_ = nullptr;
};

// Writes the enable state; true is written as all bits set.
void SetDesktopItemOptions(bool on) {
    ActiveDesktopObject ad;
    COMPONENTSOPT co{};
    co.dwSize = sizeof co;
    co.fEnableComponents = on ? -1 : 0;
    co.fActiveDesktop = on ? -1 : 0;
    CheckHResult(ad->SetDesktopItemOptions(&co, 0));
    CheckHResult(ad->ApplyChanges(AD_APPLY_ALL));
}

// The wallpaper, read through a buffer of 254 wide characters filled with spaces.
std::string ReadWallpaper(ActiveDesktopObject& ad) {
    platform::Wide buffer(254, WCHAR(' '));
    CheckHResult(ad->GetWallpaper(buffer.data(), 254, 0));
    return kel_TrimAtNull(platform::FromWide(buffer));
}

} // namespace

namespace {

bool ReadActiveDesktopState(const char* reporter) {
    bool result = false;
    try {
        ActiveDesktopObject ad;
        COMPONENTSOPT co{};
        co.dwSize = sizeof co;
        CheckHResult(ad->GetDesktopItemOptions(&co, 0));
        result = co.fActiveDesktop == 1;
    } catch (const Failure& f) {
        ReportFailure(f, reporter);
    }
    return result;
}

} // namespace

bool kel_IsActiveDesktopEnabled() {
    if (kel_IsXPOrGreater()) return true;
    return ReadActiveDesktopState("kel_IsActiveDesktopEnabled");
}

bool kel_IsActiveDesktopOn() {
    return ReadActiveDesktopState("kel_IsActiveDesktopOn");
}

void kel_SetActiveDesktopEnabled() {
    try {
        SetDesktopItemOptions(true);
    } catch (const Failure& f) {
        ReportFailure(f, "kel_SetActiveDesktopEnabled");
    }
}

void kel_SetActiveDesktopDisabled() {
    try {
        SetDesktopItemOptions(false);
    } catch (const Failure& f) {
        ReportFailure(f, "kel_SetActiveDesktopDisabled");
    }
}

bool kel_ApplyWallPaper(const std::string& pathOrUrl) {
    try {
        ActiveDesktopObject ad;
        CheckHResult(ad->SetWallpaper(platform::ToWide(pathOrUrl).c_str(), 0));
        CheckHResult(ad->ApplyChanges(AD_APPLY_ALL));
        return true;
    } catch (const Failure& f) {
        ReportFailure(f, "kel_ApplyWallPaper");
        return false;
    }
}

void kel_RemoveWallPaper() {
    try {
        if (!kel_IsActiveDesktopEnabled()) return;
        ActiveDesktopObject ad;
        CheckHResult(ad->SetWallpaper(platform::Wide().c_str(), 0));
        CheckHResult(ad->ApplyChanges(AD_APPLY_ALL));
    } catch (const Failure& f) {
        ReportFailure(f, "kel_RemoveWallPaper");
    }
}

std::string kel_GetWallPaper() {
    std::string result;
    try {
        if (!kel_IsActiveDesktopEnabled()) return result;
        ActiveDesktopObject ad;
        result = ReadWallpaper(ad);
    } catch (const Failure& f) {
        ReportFailure(f, "kel_GetWallPaper");
    }
    return result;
}

void kel_RemoveMyHomePageComponent() {
    try {
        ActiveDesktopObject ad;
        int count = 0;
        CheckHResult(ad->GetDesktopItemCount(&count, 0));
        for (int i = 0; i <= count - 1; ++i) {
            if (i > 32767) Raise(Err::Overflow); // the index is a 16-bit counter
            COMPONENT c{};
            c.dwSize = sizeof c;
            CheckHResult(ad->GetDesktopItem(i, &c, 0));
            std::string name = platform::ToUpperAscii(
                kel_TrimAtNull(platform::FromWide(platform::WideView(c.wszFriendlyName, MAX_PATH))));
            if (name == "MY CURRENT HOME PAGE") {
                CheckHResult(ad->RemoveDesktopItem(&c, 0));
                break;
            }
        }
        CheckHResult(ad->ApplyChanges(AD_APPLY_ALL));
    } catch (const Failure& f) {
        ReportFailure(f, "kel_RemoveMyHomePageComponent");
    }
}

bool zkr_IsZKRModuleName(const std::string& name) {
    return name.size() > 3 && platform::ToUpperAscii(name.substr(0, 3)) == "ZKR";
}

bool zkr_IsZKRModulePage(const std::string& wallpaper) {
    return zkr_IsZKRModuleName(kel_StripExtensionFromFileName(wallpaper));
}

bool zkr_IsZKRModuleApplied() {
    bool result = false;
    try {
        ActiveDesktopObject ad;
        result = zkr_IsZKRModulePage(ReadWallpaper(ad));
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_IsZKRModuleApplied");
    }
    return result;
}

int zkr_ModuleItemOfPage(const std::string& wallpaper) {
    std::string name = kel_StripExtensionFromFileName(wallpaper);
    if (!zkr_IsZKRModuleName(name)) return 0;
    std::string wanted = platform::ToUpperAscii(name);
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& item = AppState.ModuleItems[static_cast<size_t>(i)];
        if (item.TreeType == 200 &&
            platform::ToUpperAscii(kel_StripExtensionFromFileName(item.URL)) == wanted)
            return i;
    }
    return 0;
}

bool kel_ApplyWallPaperSwitchingOn(const std::string& pathOrUrl) {
    if (!kel_IsActiveDesktopOn()) kel_SetActiveDesktopEnabled();
    return kel_ApplyWallPaper(pathOrUrl);
}
