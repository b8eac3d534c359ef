// The demo's module pages, loaded as the desktop loads them (the application
// scheme, the sandbox's profile and page): they read the binding and options
// files the Manager writes, place the installed toyz in binding order with the
// chosen level, fill the screen without scroll bars, and the toyz work, each
// in its own frame.
#include "desktop/module_properties.h"
#include "host/page_script.h"
#include "platform/prefix.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/locked_page.h"
#include "sandbox/profiles.h"
#include "support/test_support.h"

#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest/QTest>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;

const std::vector<std::string> kPages = {
    "Modules/Ocean/Waves/ZKRWaves.htm",       "Modules/Ocean/CoralReef/ZKRCoralReef.htm",
    "Modules/Ocean/DeepBlue/ZKRDeepBlue.htm", "Modules/Space/Starfield/ZKRStarfield.htm",
    "Modules/Space/Nebula/ZKRNebula.htm",     "Modules/Space/Orbit/ZKROrbit.htm",
    "Modules/Seasons/Autumn/ZKRAutumn.htm",   "Modules/Seasons/Frost/ZKRFrost.htm"};

using host::Pause;
using host::WaitUntil;

class ModulePages : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string out;
        ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
        app_ = prefix_.path("drive_c/Program Files/Zelkora/");
        OpenProfile();
    }
    void TearDown() override { CloseProfile(); }

    void OpenProfile() {
        scheme_ = new sandbox::AppSchemeHandler;
        scheme_->SetRoot(app_);
        profile_ = sandbox::NewInstalledPagesProfile(scheme_, nullptr);
        view_ = std::make_unique<QWebEngineView>();
        page_ = new sandbox::LockedPage(profile_, view_.get());
        view_->setPage(page_);
        view_->resize(1280, 800);
        view_->show();
    }
    // As the host ends: the page first, then its profile.
    void CloseProfile() {
        view_.reset();
        delete profile_;
        delete scheme_;
        profile_ = nullptr;
    }

    std::string App(const std::string& rel) const { return app_ + rel; }
    void Bind(const std::string& line) { WriteFile(App("ZelToyz/ZelToyz.txt"), line + "\r\n"); }
    void Level(const std::string& line) { WriteFile(App("themes/options.txt"), line + "\r\n"); }

    // Loads a page of the application folder and waits until zelkora.js is done.
    void Load(const std::string& rel) {
        LoadAddress(sandbox::AddressOf(app_, App(rel)).url);
    }
    // A toy alone, as its frame shows it.
    void LoadToy(const std::string& name) {
        LoadAddress("zelkora://app/ZelToyz/" +
                    QUrl::toPercentEncoding(QString::fromStdString(name)).toStdString() + "/");
    }
    void LoadAddress(const std::string& rel) {
        bool finished = false, ok = false;
        auto c = QObject::connect(view_->page(), &QWebEnginePage::loadFinished, [&](bool good) {
            finished = true;
            ok = good;
        });
        page_->Show(QUrl(QString::fromStdString(rel)));
        ASSERT_TRUE(WaitUntil([&] { return finished; }, 15000)) << rel;
        QObject::disconnect(c);
        ASSERT_TRUE(ok) << rel;
        ASSERT_TRUE(WaitUntil(
            [&] { return Eval("document.documentElement.dataset.zelkora === 'ready'").toBool(); },
            10000))
            << rel;
    }
    QVariant Eval(const QString& script) {
        std::optional<QVariant> result = host::Evaluate(view_->page(), script);
        EXPECT_TRUE(result) << script.toStdString();
        return result.value_or(QVariant());
    }
    // A script's result, given back as JSON text.
    std::string Json(const QString& script) {
        return Eval("JSON.stringify(" + script + ")").toString().toStdString();
    }
    // The toyz on the page: name, slot and opacity of each, in slot order.
    std::string Toyz() {
        return Json("[...document.querySelectorAll('.zelkora-toy')].map(e => [e.dataset.toy, "
                    "e.closest('.zelkora-slot').dataset.zelkoraSlot, "
                    "getComputedStyle(e).opacity])");
    }

    TempPrefix prefix_;
    std::string app_;
    sandbox::AppSchemeHandler* scheme_ = nullptr;
    QWebEngineProfile* profile_ = nullptr;
    sandbox::LockedPage* page_ = nullptr;
    std::unique_ptr<QWebEngineView> view_;
};

TEST_F(ModulePages, EveryModuleShowsItsToyzInOrderAtTheLevelOnOneScreenWithoutScrollBars) {
    Bind("&myFav1=Moon Phase&myFav2=Clock&myFav3=Calendar&");
    Level("&utilTransparency=40&");
    for (const auto& page : kPages) {
        SCOPED_TRACE(page);
        Load(page);
        EXPECT_EQ(Toyz(),
                  R"([["Moon Phase","1","0.6"],["Clock","2","0.6"],["Calendar","3","0.6"]])");
        EXPECT_EQ(Json("[...document.querySelectorAll('[data-zelkora-overlay]')]"
                       ".map(e => getComputedStyle(e).opacity)"),
                  R"(["0.6"])");
        // It moves, at the shared script's pace: its animations are held by
        // zelkora.js and moved on by its timer, not run at the screen's rate.
        EXPECT_EQ(Json("(() => { const a = document.getAnimations();"
                       " return [a.length > 0, a.every(x => x.playState === 'paused')]; })()"),
                  "[true,true]");
        double t0 = Eval("document.getAnimations()[0].currentTime").toDouble();
        Pause(400);
        EXPECT_GT(Eval("document.getAnimations()[0].currentTime").toDouble(), t0);
        // Nothing to scroll, and every toy whole on the screen, none over another.
        EXPECT_EQ(Json("[document.documentElement.scrollWidth <= innerWidth, "
                       "document.documentElement.scrollHeight <= innerHeight, "
                       "document.body.scrollHeight <= innerHeight]"),
                  "[true,true,true]");
        EXPECT_EQ(Json("(() => { const r = [...document.querySelectorAll('.zelkora-toy')]"
                       ".map(e => e.getBoundingClientRect());"
                       " const inside = r.every(b => b.left >= 0 && b.top >= 0 &&"
                       " b.right <= innerWidth && b.bottom <= innerHeight && b.height > 20);"
                       " const apart = r.every((a, i) => r.every((b, j) => i === j ||"
                       " a.bottom <= b.top || b.bottom <= a.top || a.right <= b.left ||"
                       " b.right <= a.left));"
                       " return [inside, apart]; })()"),
                  "[true,true]");
    }
}

// On a small screen a toy's frame is at its narrowest, 180 pixels: every
// toy still fits it, nothing wider than its box (cut at the frame's edge).
TEST_F(ModulePages, EveryToyFitsItsFrameAtItsNarrowest) {
    view_->resize(180, 400);
    for (const char* toy : {"Clock", "Calendar", "Moon Phase", "Sticky Notes", "Weather"}) {
        SCOPED_TRACE(toy);
        LoadToy(toy);
        EXPECT_EQ(Json("[...document.querySelectorAll('body, section.zelkora-toy *')]"
                       ".filter(e => e.clientWidth > 0 && e.scrollWidth > e.clientWidth + 1)"
                       ".map(e => e.className || e.tagName)"),
                  "[]");
    }
}

// Whatever only slides (or is mirrored) is moved between frames by whole
// pixels (to Skia's 1/256), whatever its place and direction: the browser
// lays its layer on a whole pixel, so the compositor copies it instead of
// filtering it. What turns is left as it is.
TEST_F(ModulePages, WhatOnlySlidesMovesByWholePixels) {
    // Each page's sliding elements: how many, and how many off whole pixels.
    const std::pair<const char*, const char*> kSliders[] = {
        {"Modules/Ocean/Waves/ZKRWaves.htm", "[3,0]"},
        {"Modules/Ocean/CoralReef/ZKRCoralReef.htm", "[17,0]"}, // bubbles, and a mirrored fish
        {"Modules/Space/Nebula/ZKRNebula.htm", "[3,0]"},        // clouds drifting aslant
    };
    for (const auto& [page, expected] : kSliders) {
        SCOPED_TRACE(page);
        Load(page);
        Pause(700);
        EXPECT_EQ(Json("(() => { const moves = [...new Set(document.getAnimations()"
                       ".map(a => a.effect.target))].map(e => { const s = getComputedStyle(e),"
                       " t = new DOMMatrix(s.transform), o = s.transformOrigin.split(' ').map(parseFloat);"
                       " return [t, t.e + o[0] * (1 - t.a), t.f + o[1] * (1 - t.d)]; })"
                       ".filter(([t]) => t.b === 0 && t.c === 0 && Math.abs(t.a) === 1 &&"
                       " Math.abs(t.d) === 1 && !t.isIdentity);"
                       " const off = v => Math.abs(v - Math.round(v)) >= 1 / 256;"
                       " return [moves.length, moves.filter(([t, x, y]) => off(x) || off(y)).length];"
                       " })()"),
                  expected);
    }
}

TEST_F(ModulePages, MissingFilesAndToyzLeaveTheDefaultsAndNoGap) {
    // A toy that is not installed is skipped and leaves no gap.
    std::filesystem::remove_all(App("ZelToyz/Weather"));
    Bind("&myFav1=Weather&myFav2=Sticky Notes&myFav3=Nowhere&");
    Level("&utilTransparency=99&");
    Load(kPages[3]);
    EXPECT_EQ(Toyz(), R"([["Sticky Notes","1","0.01"]])");
    EXPECT_EQ(Json("Zelkora.toyz"), R"(["Sticky Notes"])");
    // Missing or unreadable files: no toyz, fully opaque.
    std::filesystem::remove(App("ZelToyz/ZelToyz.txt"));
    std::filesystem::remove(App("themes/options.txt"));
    Load(kPages[1]);
    EXPECT_EQ(Toyz(), "[]");
    EXPECT_EQ(Json("[Zelkora.transparency, getComputedStyle(document.querySelector("
                   "'[data-zelkora-overlay]')).opacity]"),
              R"([0,"1"])");
    // A folder where a file should be, and an empty file.
    std::filesystem::create_directories(App("ZelToyz/ZelToyz.txt"));
    WriteFile(App("themes/options.txt"), "");
    Load(kPages[1]);
    EXPECT_EQ(Toyz(), "[]");
    EXPECT_EQ(Json("Zelkora.transparency"), "0");
}

TEST_F(ModulePages, TheFilesAreReadAsTheManagerWritesThem) {
    Load(kPages[0]);
    EXPECT_EQ(Json("['&utilTransparency=49&\\r\\n', '42', '&utilTransparency=2.5&', "
                   "'&utilTransparency=3.5&', ' &utilTransparency= 7&', '&utilTransparency=x&', "
                   "'&utilTransparency=-5&', '&utilTransparency=100&', '&a=5&b=7&']"
                   ".map(Zelkora.parseTransparency)"),
              "[49,42,2,4,7,0,0,0,5]");
    // Names are not escaped: "&" and "=" belong to the name.
    EXPECT_EQ(Json("['&myFav1=Clock&myFav2=Sticky Notes&\\r\\n', '&\\r\\n', "
                   "'&myFav1=A&B=C&myFav2=D&', '&myFav1=Caf\\u00e9&'].map(Zelkora.parseBinding)"),
              R"([["Clock","Sticky Notes"],[],["A&B=C","D"],["Café"]])");
    // The file is in the ANSI code page: one byte per character.
    WriteFile(App("ZelToyz/ZelToyz.txt"), "&myFav1=Caf\xE9&\r\n");
    std::filesystem::create_directories(App("ZelToyz/Caf\xC3\xA9"));
    std::filesystem::copy_file(App("ZelToyz/Clock/toy.js"), App("ZelToyz/Caf\xC3\xA9/toy.js"));
    Load(kPages[0]);
    EXPECT_EQ(Json("Zelkora.toyz"), R"(["Café"])");
}

TEST_F(ModulePages, TheToyzShowTheTimeTodayTheMoonAndAClearOfflineState) {
    LoadToy("Clock");
    auto now = [] {
        std::time_t t = std::time(nullptr);
        char buf[16];
        std::strftime(buf, sizeof buf, "%H:%M:%S", std::localtime(&t));
        return std::string(buf);
    };
    std::string before = now();
    std::string shown =
        Eval("document.querySelector('.clock-time').textContent").toString().toStdString();
    std::string after = now();
    EXPECT_TRUE(shown == before || shown == after) << shown << " at " << before;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Eval("document.querySelector('.clock-time').textContent")
                       .toString()
                       .toStdString() != shown;
        },
        2500));

    // Woken by the desktop (after a sleep, or the clock set), a timer runs at once.
    EXPECT_EQ(Eval("(() => { let n = 0; Zelkora.every(3600000, () => n++); Zelkora.wake(); "
                   "return n; })()")
                  .toInt(),
              2);

    LoadToy("Calendar");
    std::time_t t = std::time(nullptr);
    int today = std::localtime(&t)->tm_mday;
    EXPECT_EQ(Json("[...document.querySelectorAll('.cal td.today')].map(e => e.textContent)"),
              "[\"" + std::to_string(today) + "\"]");
    EXPECT_EQ(
        Eval("document.querySelectorAll('.cal td:not(:empty)').length").toInt(),
        Eval("new Date(new Date().getFullYear(), new Date().getMonth() + 1, 0).getDate()").toInt());
    // The phase is the moon's age in its month: the page and a reckoning here agree.
    LoadToy("Moon Phase");
    double age = std::fmod((static_cast<double>(t) - 947182440.0) / 86400.0, 29.530588853);
    double phase =
        Eval("Number(document.querySelector('section[data-toy=\"Moon Phase\"]').dataset.phase)")
            .toDouble();
    EXPECT_NEAR(phase, age / 29.530588853, 0.001);
    EXPECT_FALSE(Eval("document.querySelector('.moon-name').textContent").toString().isEmpty());
    LoadToy("Weather");
    EXPECT_EQ(Eval("document.querySelector('.wx-state').textContent").toString(), "Offline");
}

TEST_F(ModulePages, ANoteIsWrittenAtOnceAndKeptInTheToysOwnPlace) {
    Bind("&myFav1=Sticky Notes&");
    Load(kPages[5]);
    // The page cannot look into the toy's frame, nor read its data.
    EXPECT_EQ(Json("[document.querySelector('iframe.zelkora-toy').contentDocument, "
                   "localStorage.length]"),
              "[null,0]");
    // Typed as a user types: a click into the note, then the keys.
    QVariantList r =
        Eval("(() => { const b = document.querySelector('iframe.zelkora-toy')"
             ".getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; })()")
            .toList();
    ASSERT_EQ(r.size(), 4);
    QPoint note(r[0].toInt() + r[2].toInt() / 2, r[1].toInt() + r[3].toInt() * 3 / 4);
    QWidget* input = view_->focusProxy();
    ASSERT_NE(input, nullptr);
    QTest::mouseClick(input, Qt::LeftButton, {}, note);
    QTest::keyClicks(input, "milk, caf");
    QTest::sendKeyEvent(QTest::Click, input, Qt::Key_Eacute, QStringLiteral("é"), {});
    // On disk within a second of the last key: a desktop ended then keeps it.
    std::string file = sandbox::ToyDataFile("Sticky Notes"), text;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return platform::ReadWholeFile(file, text) &&
                   text.find("milk, café") != std::string::npos;
        },
        1000))
        << text;
    // A reload, and a desktop started anew, show it again.
    Load(kPages[5]);
    CloseProfile();
    OpenProfile();
    LoadToy("Sticky Notes");
    EXPECT_EQ(Eval("document.querySelector('.note-text').value").toString(), "milk, café");
}

TEST_F(ModulePages, ThePagesFollowTheirPropertiesWhichOnlyTheirOwnOriginReads) {
    auto set = [](const std::string& page, std::vector<std::pair<std::string, std::string>> v) {
        auto m = module_properties::ReadOfPage("C:\\Program Files\\Zelkora\\" + page);
        ASSERT_EQ(module_properties::Set(m, v), "");
    };
    set("Modules\\Ocean\\Waves\\ZKRWaves.htm", {{"speed", "2"}, {"sun", "false"}});
    Bind("&myFav1=Clock&");
    Load(kPages[0]);
    EXPECT_EQ(Json("[Zelkora.properties.speed, getComputedStyle(document.documentElement)"
                   ".getPropertyValue('--speed').trim(), getComputedStyle(document.querySelector('.sun')).display]"),
              "[2,\"2\",\"none\"]");
    // Told of a change, the page follows it without loading again.
    Eval("window.loadedOnce = true");
    set("Modules\\Ocean\\Waves\\ZKRWaves.htm", {{"colour", "#204060"}});
    Eval("Zelkora.propertiesChanged()");
    EXPECT_TRUE(WaitUntil([&] { return Json("[window.loadedOnce, getComputedStyle(document"
                                            ".documentElement).getPropertyValue('--sea-2').trim()]") ==
                                       "[true,\"#204060\"]"; }, 3000));
    // A toy's frame, another origin, is refused a module's values.
    Load(kPages[7]);
    set("Modules\\Seasons\\Frost\\ZKRFrost.htm", {{"amount", "60"}, {"caption", "Snow day"}});
    Eval("Zelkora.propertiesChanged()");
    EXPECT_TRUE(WaitUntil([&] { return Json("[document.querySelectorAll('.flake').length, "
                                            "document.querySelector('.caption h1').textContent]") ==
                                       "[60,\"Snow day\"]"; }, 3000));
    LoadToy("Clock");
    Eval("fetch('/.zelkora/properties').then(() => window.got = 'read', () => window.got = 'refused')");
    EXPECT_TRUE(WaitUntil([&] { return Eval("window.got || ''").toString() == "refused"; }, 3000));
}

// Run with the browser asking for reduced motion (a test of its own in the
// suite); skipped otherwise.
TEST_F(ModulePages, NothingMovesForThoseWhoAskForReducedMotion) {
    Load(kPages[0]);
    if (!Eval("matchMedia('(prefers-reduced-motion: reduce)').matches").toBool())
        GTEST_SKIP() << "the browser does not ask for reduced motion here";
    for (const auto& page : kPages) {
        SCOPED_TRACE(page);
        Load(page);
        EXPECT_EQ(Eval("document.getAnimations().length").toInt(), 0);
    }
}

} // namespace
