// Wallpapers of Lively and Wallpaper Engine made into modules: each setting
// type becomes its property, other kinds become quick modules, hostile or
// foreign ones are refused by name, and --check says what will not work.
#include "import/wallpaper.h"
#include "package/archive.h"
#include "package/check.h"
#include "package/manifest.h"
#include "package/temporary_folder.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using nlohmann::json;

const std::string kWallpapers = WALLPAPERS; // tests/import/wallpapers

json Manifest(const std::string& folder) {
    return json::parse(ReadFile(folder + "/zelkora.json"));
}

std::string Warnings(const wallpaper::Imported& imported) {
    return package::ProblemText(imported.warnings);
}

// A wallpaper folder of the files given (name -> content).
std::string Make(const package::TemporaryFolder& work, const std::string& name,
                 const std::map<std::string, std::string>& files) {
    std::string folder = work.Path() + "/" + name;
    for (const auto& [file, content] : files) {
        fs::create_directories(fs::path(folder + "/" + file).parent_path());
        WriteFile(folder + "/" + file, content);
    }
    return folder;
}

const std::string kPage = "<!DOCTYPE html><html><head><title>x</title></head><body></body></html>";

std::string LivelyInfo(const std::string& fields) {
    return R"({"Title": "T", "FileName": "index.html", "Type": 1)" + fields + "}";
}

TEST(Import, EverySettingTypeBecomesItsPropertyInTheWallpapersOrder) {
    struct Row {
        const char* format;
        const char* name;
        const char* type;
        const char* label;
        json defaultValue; // null: a heading
        json sent;         // the feed's values for a choice
    };
    const Row rows[] = {
        {"lively", "look", "label", "The look", nullptr, nullptr},
        {"lively", "sea", "color", "Sea colour", "#003366", nullptr},
        {"lively", "weather", "choice", "Weather", "Rain", json{0, 1, 2}},
        {"lively", "sun", "checkbox", "Sun in the sky", true, nullptr},
        {"lively", "grey", "slider", "Grey", 128, nullptr},
        {"lively", "backdrop", "choice", "Backdrop", "b.png", json{"a.png", "b.png"}},
        {"lively", "ink", "text", "Ink (a CSS colour)", "#808000", nullptr},
        {"wallpaper-engine", "schemecolor", "color", "Scheme color", "#003366", nullptr},
        {"wallpaper-engine", "heading", "label", "The weather as it is", nullptr, nullptr},
        {"wallpaper-engine", "weather", "choice", "Weather", "Calm", json{"calm", 2}},
        {"wallpaper-engine", "sun", "checkbox", "Sun", true, nullptr},
        {"wallpaper-engine", "grey", "slider", "Grey", 0.5, nullptr},
        {"wallpaper-engine", "ink", "text", "Ink", "#808000", nullptr},
    };
    for (const char* format : {"lively", "wallpaper-engine"}) {
        SCOPED_TRACE(format);
        package::TemporaryFolder out;
        wallpaper::Imported imported = wallpaper::Import(kWallpapers + "/" + format, out.Path());
        json m = Manifest(out.Path());
        EXPECT_EQ(m["imported"]["format"], format);
        std::vector<const Row*> expected;
        for (const Row& r : rows)
            if (std::string(r.format) == format) expected.push_back(&r);
        ASSERT_EQ(m["properties"].size(), expected.size()) << m["properties"].dump(1);
        for (size_t i = 0; i < expected.size(); ++i) {
            const Row& r = *expected[i];
            const json& p = m["properties"][i];
            SCOPED_TRACE(r.name);
            EXPECT_EQ(p["name"], r.name);
            EXPECT_EQ(p["type"], r.type);
            EXPECT_EQ(p["label"], r.label);
            EXPECT_EQ(p.value("default", json()), r.defaultValue);
            EXPECT_EQ(m["imported"]["feeds"].value(r.name, json::object()).value("values", json()), r.sent);
        }
        // What cannot be offered is said, once.
        EXPECT_NE(Warnings(imported).find(std::string("the setting \"") +
                                          (format == std::string("lively") ? "reset\" (a button)"
                                                                            : "photo\" (a file of the user's)") +
                                          " is not offered here"),
                  std::string::npos)
            << Warnings(imported);
        // The module is a module the installer takes as it is.
        package::Manifest checked;
        EXPECT_FALSE(package::HasErrors(package::CheckFolder(out.Path(), checked)));
        EXPECT_EQ(checked.themeName, format == std::string("lively") ? "Lively wallpapers"
                                                                     : "Wallpaper Engine wallpapers");
    }
}

TEST(Import, DeclarationsAreMadeToKeepTheModulesRules) {
    package::TemporaryFolder work, out;
    std::string w = Make(work, "w", {{"LivelyInfo.json", LivelyInfo("")},
                                     {"index.html", kPage},
                                     {"LivelyProperties.json", R"({
        "fine": {"type": "slider", "text": "Fine", "min": 0, "max": 1000000, "step": 0.5, "value": 3.3},
        "twice": {"type": "dropdown", "text": "Twice", "value": 7, "items": ["A", "A", ""]},
        "bad-key": {"type": "checkbox", "text": "Bad", "value": true},
        "alpha": {"type": "color", "text": "Alpha", "value": "#80FF8800"},
        "long": {"type": "textbox", "text": "Long", "value": "line one\nline two"}})"}});
    wallpaper::Imported imported = wallpaper::Import(w, out.Path());
    json p = Manifest(out.Path())["properties"];
    ASSERT_EQ(p.size(), 4u) << p.dump(1);
    EXPECT_EQ(p[0]["step"], 500);  // at most 10,000 steps
    EXPECT_EQ(p[0]["default"], 0); // on a step
    EXPECT_EQ(p[1]["choices"], json({"A", "A (2)", "(none)"}));
    EXPECT_EQ(p[1]["default"], "A"); // an index past the items: the first
    EXPECT_EQ(p[2]["default"], "#ff8800");
    EXPECT_EQ(p[3]["default"], "line one line two");
    EXPECT_NE(Warnings(imported).find("\"bad-key\""), std::string::npos);
}

TEST(Import, OtherKindsBecomeTheQuickModuleThatShowsThem) {
    const std::string video = ReadFile(std::string(WALLPAPERS) + "/../../host/green.webm");
    const std::string png = ReadFile(kWallpapers + "/lively/images/dot.png");
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        const char* made; // a file the module shows it with
        bool web;
    } cases[] = {
        {"lively video", {{"LivelyInfo.json", R"({"Title": "V", "Type": 7, "FileName": "clip.webm"})"}, {"clip.webm", video}}, "video.webm", false},
        {"lively gif by name", {{"LivelyInfo.json", R"({"Title": "G", "Type": "GIF", "FileName": "a.gif"})"}, {"a.gif", png}}, "picture.gif", false},
        {"lively picture", {{"LivelyInfo.json", R"({"Title": "P", "Type": 11, "FileName": "Pics\\A.png"})"}, {"pics/a.png", png}}, "picture.png", false},
        {"lively address", {{"LivelyInfo.json", R"({"Title": "U", "Type": 3, "FileName": "https://example.com/"})"}}, "address.zelkora-web", true},
        {"wallpaper engine video", {{"project.json", R"({"title": "W", "type": "VIDEO", "file": "clip.webm", "preview": "p.png"})"}, {"clip.webm", video}, {"p.png", png}}, "video.webm", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        package::TemporaryFolder work, out;
        wallpaper::Imported imported = wallpaper::Import(Make(work, "w", c.files), out.Path());
        EXPECT_TRUE(FileExists(out.Path() + "/" + c.made));
        EXPECT_EQ(imported.webAddress, c.web);
        EXPECT_FALSE(Manifest(out.Path())["imported"].is_null());
    }
}

TEST(Import, ForeignOrHostileWallpapersAreRefusedByName) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        const char* says;
    } cases[] = {
        {"scene", {{"project.json", R"({"title": "S", "type": "scene", "file": "scene.json"})"}},
         "a scene wallpaper needs Wallpaper Engine's own renderer; web and video wallpapers can be imported"},
        {"application", {{"LivelyInfo.json", R"({"Title": "A", "Type": 0, "FileName": "a.exe"})"}},
         "an application wallpaper (type \"app\") runs a Windows program"},
        {"stream", {{"LivelyInfo.json", R"({"Title": "A", "Type": "videostream", "FileName": "x"})"}},
         "a video stream wallpaper"},
        {"absolute", {{"LivelyInfo.json", LivelyInfo(R"(, "IsAbsolutePath": true)")}, {"index.html", kPage}},
         "it names its file by an absolute path (IsAbsolutePath)"},
        {"no page", {{"LivelyInfo.json", LivelyInfo("")}}, "index.html: the page is not in the wallpaper"},
        {"climbing page", {{"project.json", R"({"title": "C", "type": "web", "file": "..\\..\\x.html"})"}},
         "leads out of the package (..)"},
        {"not a page", {{"project.json", R"({"title": "C", "type": "web", "file": "x.txt"})"}, {"x.txt", "x"}},
         "the wallpaper's file is not a page"},
        {"two", {{"a/LivelyInfo.json", LivelyInfo("")}, {"b/project.json", "{}"}}, "it holds more than one wallpaper"},
        {"neither", {{"index.html", kPage}}, "it holds neither LivelyInfo.json (Lively) nor project.json"},
        {"not json", {{"LivelyInfo.json", "{\"Title\": "}}, "LivelyInfo.json: it is not a JSON object"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        package::TemporaryFolder work, out;
        try {
            wallpaper::Import(Make(work, "w", c.files), out.Path());
            ADD_FAILURE() << "imported";
        } catch (const package::Refused& r) {
            EXPECT_NE(std::string(r.what()).find(c.says), std::string::npos) << r.what();
        }
    }
    // A link in the folder, to a file anywhere.
    package::TemporaryFolder work, out;
    std::string w = Make(work, "w", {{"LivelyInfo.json", LivelyInfo("")}, {"index.html", kPage}});
    fs::create_symlink("/etc/passwd", w + "/secret.txt");
    try {
        wallpaper::Import(w, out.Path());
        ADD_FAILURE() << "imported a link";
    } catch (const package::Refused& r) {
        EXPECT_NE(std::string(r.what()).find("secret.txt: it is a link"), std::string::npos) << r.what();
    }
}

TEST(Import, WallpapersThatHearOrSeeWhatPlaysSaySo) {
    const std::string media = "<script>wallpaperRegisterMediaPropertiesListener(f)</script>";
    const std::string we = R"({"title": "W", "type": "web", "file": "index.html")";
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        std::vector<std::string> said;
    } cases[] = {
        {"plain Lively", {{"LivelyInfo.json", LivelyInfo("")}, {"index.html", kPage}}, {}},
        {"Lively with sound", {{"LivelyInfo.json", R"({"Title": "T", "FileName": "index.html", "Type": 2})"},
                               {"index.html", kPage}}, {"reacts to the sound your computer plays"}},
        {"Lively asking both", {{"LivelyInfo.json", LivelyInfo(R"(, "Arguments": "--audio --system-nowplaying")")},
                                {"index.html", kPage}},
         {"reacts to the sound your computer plays", "shows what your music player plays"}},
        {"Wallpaper Engine asking both",
         {{"project.json", we + R"(, "general": {"supportsaudioprocessing": true}})"}, {"index.html", media}},
         {"reacts to the sound your computer plays", "shows what your music player plays"}},
        {"plain Wallpaper Engine", {{"project.json", we + "}"}, {"index.html", kPage}}, {}},
    };
    for (const Case& c : cases) {
        package::TemporaryFolder work;
        package::Manifest m;
        auto problems = wallpaper::Check(Make(work, "w", c.files), &m);
        EXPECT_FALSE(package::HasErrors(problems)) << c.name << "\n" << package::ProblemText(problems);
        EXPECT_EQ(package::WhatItHears(m), c.said) << c.name;
    }
}

TEST(Import, CheckSaysWhatWillNotWorkHere) {
    package::TemporaryFolder work;
    std::string w = Make(work, "w", {
        {"LivelyInfo.json", LivelyInfo("")},
        {"index.html", R"(<html><head>
            <link rel="stylesheet" href="https://fonts.example.com/css?family=A">
            <script src="//cdn.example.net/lib.js"></script></head>
            <body><a href="https://author.example.org/">the author</a>
            <video src="clip.mp4"></video></body></html>)"},
        {"js/app.js", "// see https://docs.example.org/\nfetch('https://api.example.io/v1/weather');"},
        {"clip.mp4", "not really"}});
    std::string said = package::ProblemText(wallpaper::Check(w));
    for (const char* expected : {"index.html: warning: it loads from fonts.example.com on the internet",
                                 "index.html: warning: it loads from cdn.example.net",
                                 "js/app.js: warning: it loads from api.example.io",
                                 "clip.mp4: warning: an .mp4 video (H.264) plays only where",
                                 "warning: there is no preview"})
        EXPECT_NE(said.find(expected), std::string::npos) << expected << "\n" << said;
    // A link to a page and an address in a comment load nothing.
    EXPECT_EQ(said.find("author.example.org"), std::string::npos) << said;
    EXPECT_EQ(said.find("docs.example.org"), std::string::npos) << said;
    EXPECT_FALSE(package::HasErrors(wallpaper::Check(w))) << said;
}

} // namespace
