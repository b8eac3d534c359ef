// The Active Desktop object over shell.ini. Each object reads the state when
// it is created and changes its own copy; only ApplyChanges with
// AD_APPLY_SAVE writes the copy back.
#include "platform/desktop_host.h"
#include "platform/posix/active_desktop_log.h"
#include "platform/posix/shell_state.h"
#include "platform/posix/win32_posix.h"
#include "platform/prefix.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <cstring>
#include <mutex>

const CLSID CLSID_ActiveDesktop = {
    0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID IID_IActiveDesktop = {
    0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace platform {

std::vector<std::string>& ActiveDesktopCalls() {
    static std::vector<std::string> calls;
    return calls;
}

namespace {
std::mutex logMutex;
std::atomic<long> liveObjects{0};
} // namespace

long LiveActiveDesktopObjects() {
    return liveObjects.load();
}

void LogShellCall(std::string call) {
    std::lock_guard g(logMutex);
    ActiveDesktopCalls().push_back(std::move(call));
}

} // namespace platform

namespace {

thread_local int comInits = 0;

class ActiveDesktop final : public IActiveDesktop {
  public:
    explicit ActiveDesktop(platform::ShellState s) : state_(std::move(s)) {
        for (size_t i = 0; i < state_.items.size(); ++i)
            ids_.push_back(static_cast<DWORD>(i + 1));
        ++platform::liveObjects;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IActiveDesktop || riid == IID_IUnknown) {
            *ppv = static_cast<IActiveDesktop*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG r = --refs_;
        if (r == 0) {
            platform::LogShellCall("Release");
            --platform::liveObjects;
            delete this;
        }
        return r;
    }

    HRESULT ApplyChanges(DWORD dwFlags) override {
        platform::LogShellCall("ApplyChanges(" + std::to_string(dwFlags) + ")");
        if (HRESULT f = Fault("ApplyChanges")) return f;
        if (dwFlags & AD_APPLY_SAVE) {
            int e = platform::SaveShellState(state_);
            if (e) return e == EACCES ? E_ACCESSDENIED : E_FAIL;
        }
        // The desktop host draws the desktop anew (the page loads again).
        if (dwFlags & AD_APPLY_REFRESH) platform::SignalDesktopChanged();
        return S_OK;
    }

    HRESULT GetWallpaper(PWSTR buf, UINT cch, DWORD) override {
        platform::LogShellCall("GetWallpaper");
        if (HRESULT f = Fault("GetWallpaper")) return f;
        if (!buf || cch == 0) return E_INVALIDARG;
        platform::Wide w = platform::ToWide(state_.wallpaper);
        size_t n = std::min<size_t>(w.size(), cch - 1);
        std::copy(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(n), buf);
        buf[n] = u'\0';
        return S_OK;
    }

    HRESULT SetWallpaper(PCWSTR wallpaper, DWORD) override {
        platform::LogShellCall("SetWallpaper");
        if (HRESULT f = Fault("SetWallpaper")) return f;
        if (!wallpaper) return E_INVALIDARG;
        std::string w = platform::FromWide(wallpaper);
        if (w.find_first_of("\r\n") != std::string::npos) return E_INVALIDARG;
        state_.wallpaper = std::move(w);
        return S_OK;
    }

    HRESULT GetDesktopItemOptions(LPCOMPONENTSOPT pco, DWORD) override {
        platform::LogShellCall("GetDesktopItemOptions");
        if (HRESULT f = Fault("GetDesktopItemOptions")) return f;
        if (!pco || pco->dwSize != sizeof(COMPONENTSOPT)) return E_INVALIDARG;
        pco->fEnableComponents = state_.enableComponents ? TRUE : FALSE;
        pco->fActiveDesktop = state_.activeDesktop ? TRUE : FALSE;
        return S_OK;
    }

    HRESULT SetDesktopItemOptions(LPCCOMPONENTSOPT pco, DWORD) override {
        platform::LogShellCall("SetDesktopItemOptions(" +
                               std::to_string(pco ? pco->fEnableComponents : 0) + "," +
                               std::to_string(pco ? pco->fActiveDesktop : 0) + ")");
        if (HRESULT f = Fault("SetDesktopItemOptions")) return f;
        if (!pco || pco->dwSize != sizeof(COMPONENTSOPT)) return E_INVALIDARG;
        state_.enableComponents = pco->fEnableComponents != 0;
        state_.activeDesktop = pco->fActiveDesktop != 0;
        return S_OK;
    }

    HRESULT RemoveDesktopItem(LPCCOMPONENT pcomp, DWORD) override {
        platform::LogShellCall("RemoveDesktopItem");
        if (HRESULT f = Fault("RemoveDesktopItem")) return f;
        if (!pcomp || !SizeOk(pcomp->dwSize)) return E_INVALIDARG;
        auto it = std::find(ids_.begin(), ids_.end(), pcomp->dwID);
        if (it == ids_.end()) return E_INVALIDARG;
        size_t i = static_cast<size_t>(it - ids_.begin());
        ids_.erase(it);
        state_.items.erase(state_.items.begin() + static_cast<std::ptrdiff_t>(i));
        return S_OK;
    }

    HRESULT GetDesktopItemCount(int* pc, DWORD) override {
        platform::LogShellCall("GetDesktopItemCount");
        if (HRESULT f = Fault("GetDesktopItemCount")) return f;
        if (!pc) return E_INVALIDARG;
        *pc = static_cast<int>(state_.items.size());
        return S_OK;
    }

    HRESULT GetDesktopItem(int n, LPCOMPONENT pcomp, DWORD) override {
        platform::LogShellCall("GetDesktopItem(" + std::to_string(n) + ")");
        if (HRESULT f = Fault("GetDesktopItem")) return f;
        if (!pcomp || !SizeOk(pcomp->dwSize)) return E_INVALIDARG;
        if (n < 0 || static_cast<size_t>(n) >= state_.items.size()) return E_INVALIDARG;
        DWORD size = pcomp->dwSize;
        std::memset(pcomp, 0, size);
        pcomp->dwSize = size;
        pcomp->dwID = ids_[static_cast<size_t>(n)];
        pcomp->fChecked = TRUE;
        platform::Wide name = platform::ToWide(state_.items[static_cast<size_t>(n)]);
        size_t len = std::min<size_t>(name.size(), MAX_PATH - 1);
        std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(len),
                  pcomp->wszFriendlyName);
        return S_OK;
    }

    // Not offered by the emulation.
    HRESULT GetWallpaperOptions(LPVOID, DWORD) override { return E_NOTIMPL; }
    HRESULT SetWallpaperOptions(const void*, DWORD) override { return E_NOTIMPL; }
    HRESULT GetPattern(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
    HRESULT SetPattern(PCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT AddDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT ModifyDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }

  private:
    // The long form of COMPONENT, and the short one without the state fields.
    static bool SizeOk(DWORD size) {
        return size == sizeof(COMPONENT) || size == offsetof(COMPONENT, dwCurItemState);
    }
    HRESULT Fault(const char* member) const {
        auto it = state_.faults.find(platform::ToUpperAscii(member));
        return it == state_.faults.end() ? S_OK : static_cast<HRESULT>(it->second);
    }

    platform::ShellState state_;
    std::vector<DWORD> ids_;
    std::atomic<ULONG> refs_{1};
};

} // namespace

HRESULT CoInitialize(LPVOID) {
    return comInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (comInits > 0) --comInits;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (comInits == 0) return CO_E_NOTINITIALIZED;
    if (!(rclsid == CLSID_ActiveDesktop) || !(dwClsContext & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (!(riid == IID_IActiveDesktop) && !(riid == IID_IUnknown)) return E_NOINTERFACE;
    platform::LogShellCall("CoCreateInstance");
    platform::ShellState state;
    std::string error;
    int readError = 0;
    if (!platform::LoadShellState(state, error, &readError)) {
        if (readError == EACCES || readError == EPERM || readError == EISDIR)
            return E_ACCESSDENIED;
        return readError ? HRESULT_READ_FAULT : HRESULT_INVALID_DATA;
    }
    *ppv = static_cast<IActiveDesktop*>(new ActiveDesktop(std::move(state)));
    return S_OK;
}
