// The Manager's start on the real Win32 API: the installer's six settings
// written to the registry and the two preferences to the INI file, as
// Windows' own calls write them, then read back through startup/ exactly as
// the Manager reads them. Then the platform layer's own Windows bodies, on
// real files. Prints what differs; exits 1 when anything does.
#include "platform/clock.h"
#include "platform/native_files.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/failure.h"
#include "startup/AppState.h"
#include "startup/kel_basINI.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

void ExpectEqual(const std::string& got, const std::string& want, const std::string& what) {
    Expect(got == want, what + ": \"" + got + "\"" + (got == want ? "" : ", not \"" + want + "\""));
}

void StartsAsTheManagerDoes(const std::string& root) {
    const std::vector<std::pair<const char*, std::string>> settings = {
        {"ApplicationPath", root + "\\Program Files\\Zelkora\\"},
        {"ModulesPath", root + "\\Program Files\\Zelkora\\Modules\\"},
        {"DeInstallPath", root + "\\Program Files\\Zelkora\\uninstall.exe"},
        {"DataPath", root + "\\Zelkora Data\\"},
        {"INIFilePath", root + "\\Zelkora Data\\"},
        {"INIFileName", "Zelkora.ini"},
    };
    kel_SetEnvironment();
    HKEY key = nullptr;
    Expect(RegCreateKeyExA(HKEY_LOCAL_MACHINE, AppState.RegistryKey.c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                           nullptr) == ERROR_SUCCESS,
           "the installer's key made");
    for (const auto& [name, value] : settings)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    std::filesystem::create_directories(root + "\\Zelkora Data");
    std::string ini = root + "\\Zelkora Data\\Zelkora.ini";
    WritePrivateProfileStringA("Options", "MinimizeAfterApply", "1", ini.c_str());
    WritePrivateProfileStringA("Options", "ExitAfterApply", "0", ini.c_str());

    zkr_LoadRegistryEntries();
    ExpectEqual(AppState.ApplicationPath, settings[0].second, "ApplicationPath");
    ExpectEqual(AppState.ModulesPath, settings[1].second, "ModulesPath");
    ExpectEqual(AppState.DeInstallPath, settings[2].second, "DeInstallPath");
    ExpectEqual(Text(AppState.DataPath), settings[3].second, "DataPath");
    ExpectEqual(Text(AppState.INIFilePath), settings[4].second, "INIFilePath");
    ExpectEqual(Text(AppState.INIFileName), settings[5].second, "INIFileName");
    ExpectEqual(AppState.INIFile, ini, "INIFile");
    ExpectEqual(kel_GetPrivateProfileString(AppState.INIFile, "Options", "MinimizeAfterApply", "0"),
                "1", "MinimizeAfterApply");
    ExpectEqual(kel_GetPrivateProfileString(AppState.INIFile, "Options", "ExitAfterApply", "0"),
                "0", "ExitAfterApply");
}

void PlatformBodies(const std::string& root) {
    std::string error;
    std::string folder = platform::MakeTemporaryFolder(root, "zelkora-", error);
    Expect(!folder.empty() && std::filesystem::is_directory(folder),
           "a temporary folder made: " + folder + error);

    std::string file = folder + "\\page.htm";
    {
        platform::NativeFile out = platform::NativeFile::CreateNew(file);
        Expect(out.IsOpen() && out.WriteAt(0, "<html>", 6) && out.WriteAt(6, "</html>", 7) &&
                   out.Close(),
               "a new file written" + out.Error());
        Expect(!platform::NativeFile::CreateNew(file).IsOpen(), "a name that exists refused");
    }
    {
        platform::NativeFile in = platform::NativeFile::OpenForReading(file);
        char buffer[32] = {};
        int64_t n = in.IsOpen() ? in.Read(buffer, sizeof buffer) : -1;
        ExpectEqual(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), "<html></html>",
                    "the file read back");
        Expect(in.Size() == 13 && in.ModifiedSeconds() > 1600000000, "its size and time");
    }
    Expect(!platform::NativeFile::OpenForReading(folder).IsOpen(), "a folder is not read as a file");

    std::string real = platform::RealPath(folder + "\\.\\page.htm");
    Expect(real.size() > 9 && real.compare(real.size() - 9, 9, "/page.htm") == 0 &&
               real.find('\\') == std::string::npos,
           "the real path: " + real);

    std::string atomic = folder + "\\settings.txt";
    {
        platform::WriteLock lock;
        Expect(platform::WriteFileAtomic(atomic, "one") == 0 &&
                   platform::WriteFileAtomic(atomic, "two") == 0,
               "a file replaced atomically");
    }
    platform::FileStamp stamp;
    std::string text;
    bool read = platform::ReadWholeFile(atomic, text, &stamp);
    Expect(read && text == "two" && stamp.size == 3, "and read whole: " + text);
    Expect(!std::filesystem::exists(platform::TemporaryNameFor(atomic)), "no temporary left");
    Expect(platform::ProbeFile(atomic) == platform::FileKind::PlainFile &&
               platform::ProbeFile(folder) == platform::FileKind::Other &&
               platform::ProbeFile(folder + "\\none") == platform::FileKind::Missing,
           "files probed");

    std::string work = folder + "\\staging";
    {
        platform::FolderLock lock(work);
        Expect(lock.Held() && std::filesystem::is_directory(work), "the working folder held");
    }
    Expect(!std::filesystem::exists(work), "and removed when left empty");

    double started = Interaction::Shell("cmd.exe /c exit 0", 0);
    Expect(started > 0, "a program started by Shell: " + std::to_string(started));
    bool refused = false;
    try {
        Interaction::Shell(folder + "\\none.exe", 1);
    } catch (const Failure& f) {
        refused = f.Number == Err::FileNotFound;
    }
    Expect(refused, "a missing program refused with File not found");

    std::tm local = platform::LocalTime(86400 * 365);
    Expect(local.tm_year == 71 || (local.tm_year == 70 && local.tm_yday == 364), "the local time");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    Expect(!ec, "the temporary folder removed" + (ec ? ": " + ec.message() : ""));
}

} // namespace

int main() {
    // A setting the Manager cannot read ends it at start, as End ends it.
    SetEndHandler([] {
        std::printf("FAIL the program ended at start\n");
        std::fflush(stdout);
        std::_Exit(1);
    });
    std::string root = std::filesystem::temp_directory_path().string();
    while (!root.empty() && (root.back() == '\\' || root.back() == '/'))
        root.pop_back();
    StartsAsTheManagerDoes(root);
    PlatformBodies(root);
    std::printf("%s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
