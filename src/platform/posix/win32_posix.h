// The subset of the Win32 API that the product uses, declared with Windows'
// spelling, values and structure layouts, implemented over the prefix folder.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef int32_t HRESULT;
typedef uintptr_t ULONG_PTR;
typedef char CHAR;
typedef char16_t WCHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef void* LPVOID;
typedef void* PVOID;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HWND__* HWND;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// Registry roots and rights.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Error codes.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MORE_DATA 234L
#define ERROR_REGISTRY_IO_FAILED 1016L

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
LONG RegCloseKey(HKEY hKey);

// Profile (INI) files.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName);

// The last error of the calling thread.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// System information.
typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA keeps its Windows size");
#define VER_PLATFORM_WIN32_NT 2

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

#define INTERNET_CONNECTION_MODEM 0x01
#define INTERNET_CONNECTION_LAN 0x02
#define INTERNET_CONNECTION_PROXY 0x04
#define INTERNET_CONNECTION_OFFLINE 0x20
#define INTERNET_CONNECTION_CONFIGURED 0x40
BOOL InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved);

void Sleep(DWORD dwMilliseconds);

// Desktop wallpaper.
#define SPI_SETDESKWALLPAPER 0x0014
#define SPIF_UPDATEINIFILE 0x0001
#define SPIF_SENDWININICHANGE 0x0002
BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

// COM and the shell's Active Desktop.
typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID CLSID;
typedef GUID IID;
typedef const GUID& REFCLSID;
typedef const GUID& REFIID;
inline bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           __builtin_memcmp(a.Data4, b.Data4, 8) == 0;
}
typedef uint32_t ULONG;
typedef WCHAR* PWSTR;
typedef const WCHAR* PCWSTR;

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_ACCESSDENIED ((HRESULT)0x80070005L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define HRESULT_INVALID_DATA ((HRESULT)0x8007000DL)
#define HRESULT_READ_FAULT ((HRESULT)0x8007001EL) // HRESULT_FROM_WIN32(ERROR_READ_FAULT)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define CLSCTX_INPROC_SERVER 0x1
#define COINIT_APARTMENTTHREADED 0x2

HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv);

extern const CLSID CLSID_ActiveDesktop; // {75048700-EF1F-11D0-9888-006097DEACF9}
extern const IID IID_IActiveDesktop;    // {F490EB00-1240-11D1-9888-006097DEACF9}
extern const IID IID_IUnknown;

#define INTERNET_MAX_URL_LENGTH 2084

typedef struct _tagCOMPONENTSOPT {
    DWORD dwSize;
    BOOL fEnableComponents;
    BOOL fActiveDesktop;
} COMPONENTSOPT, *LPCOMPONENTSOPT;
typedef const COMPONENTSOPT* LPCCOMPONENTSOPT;

typedef struct _tagCOMPPOS {
    DWORD dwSize;
    int iLeft;
    int iTop;
    DWORD dwWidth;
    DWORD dwHeight;
    int izIndex;
    BOOL fCanResize;
    BOOL fCanResizeX;
    BOOL fCanResizeY;
    int iPreferredLeftPercent;
    int iPreferredTopPercent;
} COMPPOS;

typedef struct _tagCOMPSTATEINFO {
    DWORD dwSize;
    int iLeft;
    int iTop;
    DWORD dwWidth;
    DWORD dwHeight;
    DWORD dwItemState;
} COMPSTATEINFO;

typedef struct _tagCOMPONENT {
    DWORD dwSize;
    DWORD dwID;
    int iComponentType;
    BOOL fChecked;
    BOOL fDirty;
    BOOL fNoScroll;
    COMPPOS cpPos;
    WCHAR wszFriendlyName[MAX_PATH];
    WCHAR wszSource[INTERNET_MAX_URL_LENGTH];
    WCHAR wszSubscribedURL[INTERNET_MAX_URL_LENGTH];
    DWORD dwCurItemState;
    COMPSTATEINFO csiOriginal;
    COMPSTATEINFO csiRestored;
} COMPONENT, *LPCOMPONENT;
typedef const COMPONENT* LPCCOMPONENT;

static_assert(sizeof(COMPONENTSOPT) == 12, "COMPONENTSOPT keeps its Windows size");
static_assert(sizeof(COMPONENT) == 8976, "COMPONENT keeps its Windows size");

#define AD_APPLY_SAVE 0x00000001
#define AD_APPLY_HTMLGEN 0x00000002
#define AD_APPLY_REFRESH 0x00000004
#define AD_APPLY_ALL (AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH)
#define AD_APPLY_FORCE 0x00000008
#define AD_APPLY_BUFFERED_REFRESH 0x00000010
#define AD_APPLY_DYNAMICREFRESH 0x00000020

// The members of IActiveDesktop in the order of its vtable; those the
// emulation does not offer answer E_NOTIMPL.
struct IActiveDesktop : public IUnknown {
    virtual HRESULT ApplyChanges(DWORD dwFlags) = 0;
    virtual HRESULT GetWallpaper(PWSTR pwszWallpaper, UINT cchWallpaper, DWORD dwFlags) = 0;
    virtual HRESULT SetWallpaper(PCWSTR pwszWallpaper, DWORD dwReserved) = 0;
    virtual HRESULT GetWallpaperOptions(LPVOID pwpo, DWORD dwReserved) = 0;
    virtual HRESULT SetWallpaperOptions(const void* pwpo, DWORD dwReserved) = 0;
    virtual HRESULT GetPattern(PWSTR pwszPattern, UINT cchPattern, DWORD dwReserved) = 0;
    virtual HRESULT SetPattern(PCWSTR pwszPattern, DWORD dwReserved) = 0;
    virtual HRESULT GetDesktopItemOptions(LPCOMPONENTSOPT pco, DWORD dwReserved) = 0;
    virtual HRESULT SetDesktopItemOptions(LPCCOMPONENTSOPT pco, DWORD dwReserved) = 0;
    virtual HRESULT AddDesktopItem(LPCCOMPONENT pcomp, DWORD dwReserved) = 0;
    virtual HRESULT AddDesktopItemWithUI(HWND hwnd, LPCOMPONENT pcomp, DWORD dwReserved) = 0;
    virtual HRESULT ModifyDesktopItem(LPCCOMPONENT pcomp, DWORD dwFlags) = 0;
    virtual HRESULT RemoveDesktopItem(LPCCOMPONENT pcomp, DWORD dwReserved) = 0;
    virtual HRESULT GetDesktopItemCount(int* pcItems, DWORD dwReserved) = 0;
    virtual HRESULT GetDesktopItem(int nComponent, LPCOMPONENT pcomp, DWORD dwReserved) = 0;

  protected:
    ~IActiveDesktop() = default;
};

// Windows of other processes (found through the prefix's instance channel).
HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);
int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
BOOL FlashWindow(HWND hWnd, BOOL bInvert);
BOOL BringWindowToTop(HWND hWnd);
