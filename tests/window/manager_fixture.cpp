#include "window/manager_fixture.h"

#include "platform/posix/shell_state.h"

#include <cstdint>

namespace testing_support {

// A 24-bit bitmap of one colour: enough for the picture boxes to decode.
std::string TinyBmp(int w, int h) {
    auto le32 = [](std::string& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    uint32_t row = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    uint32_t data = row * static_cast<uint32_t>(h);
    std::string out = "BM";
    le32(out, 54 + data);
    le32(out, 0);
    le32(out, 54);
    le32(out, 40);
    le32(out, static_cast<uint32_t>(w));
    le32(out, static_cast<uint32_t>(h));
    le32(out, 1 | (24 << 16)); // one plane, 24 bits
    for (int i = 0; i < 6; ++i)
        le32(out, 0);
    out.append(data, '\x60');
    return out;
}

void ManagerTest::SetUp() {
    CoInitialize(nullptr);
    AppState = AppStateData{};
    SetEndHandler([] { throw EndCalled{}; });
    platform::ActiveDesktopCalls().clear();
    WriteRegistry(prefix,
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora\\Zelkora\\1]\r\n"
                  "\"ApplicationPath\"=\"C:\\\\Zelkora\\\\\"\r\n"
                  "\"ModulesPath\"=\"C:\\\\Zelkora\\\\Modules\\\\\"\r\n"
                  "\"DeInstallPath\"=\"C:\\\\Zelkora\\\\uninstall.exe /all\"\r\n"
                  "\"DataPath\"=\"C:\\\\Zelkora\\\\Data\\\\\"\r\n"
                  "\"INIFilePath\"=\"C:\\\\Zelkora\\\\\"\r\n"
                  "\"INIFileName\"=\"zelkora.ini\"\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                  "\"Wallpaper\"=\"\"\r\n\"WallpaperStyle\"=\"0\"\r\n\"TileWallpaper\"=\"0\"\r\n");
    MakeDirs(App("themes"));
    MakeDirs(App("ZelToyz"));
    for (const char* page : {"defaultmodulecopyright.htm", "defaulttoyzcopyright.htm",
                             "defaultad.htm", "defaulthelp.htm", "defaultupdate.htm"})
        WriteFile(App(page), "<html><body>" + std::string(page) + "</body></html>");
    WriteFile(App("zelkora.bmp"), TinyBmp(8, 8));
    WriteFile(App("themes/options.txt"), "&utilTransparency=49&\r\n");
    Shell("online 0");
    kel_SetEnvironment();
    zkr_LoadRegistryEntries();
}

void ManagerTest::TearDown() {
    form.reset();
    box.reset();
    SetEndHandler(nullptr);
    CoUninitialize();
}

void ManagerTest::Shell(const std::string& args) {
    std::string out;
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell " + args, &out), 0) << args << ": " << out;
}

void ManagerTest::WavesProperties() {
    WriteFile(App("Modules/Waves/zelkora.json"), R"({"kind": "module", "properties": [
        {"name": "sea", "type": "color", "label": "Sea", "default": "#16638f"},
        {"name": "motion", "type": "label", "label": "Motion"},
        {"name": "speed", "type": "slider", "label": "Speed", "min": 0.5, "max": 2, "step": 0.5, "default": 1},
        {"name": "sun", "type": "checkbox", "label": "Sun", "default": true},
        {"name": "size", "type": "choice", "label": "Size", "choices": ["Fine", "Large"], "default": "Fine"},
        {"name": "words", "type": "text", "label": "Words", "maxLength": 5, "default": "hi"}]})");
}

void ManagerTest::StandardCatalogue() {
    cat.AddTheme("Ocean", "Ocean Theme");
    cat.AddTheme("Space", "Space Theme");
    for (const char* m : {"Waves", "Reef", "Stars"}) {
        std::string dir = std::string("Modules/") + m + "/";
        WriteFile(App(dir + "preview.bmp"), TinyBmp(4, 3));
        WriteFile(App(dir + "ZKR" + m + ".htm"), "<html>module</html>");
        std::string win = std::string(AP) + "Modules\\" + m;
        cat.AddModule(m, std::string(m) == "Stars" ? "Space" : "Ocean", std::string(m) + " Module",
                      "--preview " + ShellQuote(win + "\\preview.bmp") + " --url " +
                          ShellQuote(ModuleUrl(m)) + " --copyright-url " +
                          ShellQuote(win + "\\copyright.htm") + " --banner-url " +
                          ShellQuote("http://www.zelkora.example/" + std::string(m)) +
                          " --uninstall " + ShellQuote(win));
    }
}

void ManagerTest::Load() {
    form = std::make_unique<frmZKRMain>();
    form->Form_Load();
}

std::string ManagerTest::Wallpaper() {
    platform::ShellState s;
    std::string error;
    EXPECT_TRUE(platform::LoadShellState(s, error)) << error;
    return s.wallpaper;
}

bool ManagerTest::ActiveDesktopOn() {
    platform::ShellState s;
    std::string error;
    EXPECT_TRUE(platform::LoadShellState(s, error)) << error;
    return s.activeDesktop;
}

int ManagerTest::NodeOf(const std::string& text) {
    for (int i = 1; i <= form->TreeView.Count(); ++i)
        if (form->TreeView.Nodes(i).Text() == text) return i;
    ADD_FAILURE() << "no node " << text;
    return 1;
}

std::string ManagerTest::Enabled() {
    std::string s;
    for (auto* b :
         {&form->cmdApply, &form->cmdRemove, &form->cmdRemoveNode, &form->cmdApplyTransparency})
        s += b->Enabled() ? '1' : '0';
    return s;
}

} // namespace testing_support
