// The Qt view driven through its real widgets on the offscreen platform: each
// action is checked in the emulated desktop and the files afterwards.
#include "desktop/display_layout.h"
#include "platform/desktop_host.h"
#include "sandbox/locked_page.h"
#include "window/manager_fixture.h"
#include "window/qt/main_view.h"
#include "window/qt/message_box.h"
#include "window/qt/web_pane.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QLineEdit>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

namespace {

using namespace testing_support;

class Gui : public ManagerTest {
  protected:
    std::unique_ptr<MainView> view;

    void Open() {
        Load();
        view = std::make_unique<MainView>(*form);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        Settle();
    }
    void TearDown() override {
        view.reset();
        ManagerTest::TearDown();
    }
    void Settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        view->SyncNow();
    }
    template <class W> W* Widget(const char* name) {
        W* w = view->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(const char* button) {
        auto* b = Widget<QPushButton>(button);
        ASSERT_TRUE(b->isEnabled()) << button;
        QTest::mouseClick(b, Qt::LeftButton);
        Settle();
    }
    void ShowTab(int i) {
        view->tabs()->setCurrentIndex(i);
        Settle();
    }
    QPoint TreeItemCentre(const QString& text) {
        auto items = view->tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        EXPECT_EQ(items.size(), 1) << text.toStdString();
        return view->tree()->visualItemRect(items.value(0)).center();
    }
    void ClickTree(const QString& text) {
        QTest::mouseClick(view->tree()->viewport(), Qt::LeftButton, {}, TreeItemCentre(text));
        Settle();
    }
    void DoubleClickTree(const QString& text) {
        QPoint at = TreeItemCentre(text);
        QTest::mouseClick(view->tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->tree()->viewport(), Qt::LeftButton, {}, at);
        Settle();
    }
    void ClickRow(const char* list, int row) {
        auto* l = Widget<QListWidget>(list);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
        Settle();
    }
    void Toggle(const char* box) {
        auto* c = Widget<QCheckBox>(box);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(8, c->height() / 2));
        Settle();
    }
    void StandardToyz() {
        for (const char* t : {"Clock", "Notes", "Weather"}) {
            std::string dir = std::string("ZelToyz/") + t;
            WriteFile(App(dir + "/preview.bmp"), TinyBmp(3, 3));
            WriteFile(App(dir + "/setup.exe"),
                      "#!/bin/sh\necho \"$*\" > '" + App(dir + "/ran.txt") + "'\n");
            std::filesystem::permissions(App(dir + "/setup.exe"),
                                         std::filesystem::perms::owner_all);
            cat.AddToy(t, t,
                       "--preview " +
                           ShellQuote(std::string(AP) + "ZelToyz\\" + t + "\\preview.bmp") +
                           " --uninstall " + ShellQuote(std::string(AP) + "ZelToyz\\" + t));
        }
    }
};

TEST_F(Gui, TheOptionsCheckBoxesWriteThePreferencesAndSwitchTheDesktop) {
    StandardCatalogue();
    Shell("version 5.0");
    Open();
    ShowTab(3);
    Toggle("chkExitAfterApply");
    EXPECT_TRUE(Widget<QCheckBox>("chkExitAfterApply")->isChecked());
    Toggle("chkMinimizeAfterApply");
    Toggle("chkMinimizeAfterApply");
    EXPECT_EQ(ReadFile(App("zelkora.ini")),
              "[Options]\r\nExitAfterApply=1\r\nMinimizeAfterApply=0\r\n");
    Toggle("chkShowDeskTop");
    EXPECT_FALSE(ActiveDesktopOn());
    EXPECT_FALSE(Widget<QPushButton>("cmdApplyTransparency")->isEnabled());
    Toggle("chkShowDeskTop");
    EXPECT_TRUE(ActiveDesktopOn());
}

TEST_F(Gui, AddRemoveAndApplyToyz) {
    StandardToyz();
    Open();
    ShowTab(1);
    EXPECT_EQ(Widget<QListWidget>("lstToyz")->count(), 3);
    ClickRow("lstToyz", 2);
    Click("cmdDown");
    ClickRow("lstToyz", 0);
    Click("cmdDown");
    EXPECT_EQ(Widget<QListWidget>("lstActiveToyz")->count(), 2);
    EXPECT_FALSE(Widget<QPushButton>("cmdDown")->isEnabled());
    ClickRow("lstActiveToyz", 0);
    Click("cmdUp");
    ClickRow("lstToyz", 1);
    Click("cmdDown");
    box->Expect("The selected Toyz are activated in the modules", 64, title);
    Click("cmdApplyToyz");
    EXPECT_EQ(ReadFile(App("ZelToyz/ZelToyz.txt")), "&myFav1=Clock&myFav2=Notes&\r\n");
    Click("cmdRefreshToyzList");
    auto* active = Widget<QListWidget>("lstActiveToyz");
    ASSERT_EQ(active->count(), 2);
    EXPECT_EQ(active->item(0)->text(), "Clock");
    EXPECT_EQ(active->item(1)->text(), "Notes");
}

TEST_F(Gui, CaptionsToolTipsPicturesAndTheModuleOnTheDesktopAreShown) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Waves")));
    Open();
    EXPECT_EQ(view->tabs()->tabText(5), "A&bout");
    EXPECT_EQ(Widget<QPushButton>("cmdRemoveNode")->text(), "Uninstall");
    EXPECT_EQ(Widget<QPushButton>("cmdApply")->toolTip(),
              "Click this button to apply the previewed Zelkora module to your desktop.");
    auto* picture = Widget<QLabel>("pctModule");
    EXPECT_FALSE(picture->pixmap().isNull());
    auto item = [this](const char* text) {
        return view->tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    };
    EXPECT_TRUE(item("Waves Module")->isSelected());
    EXPECT_FALSE(item("Waves Module")->icon(0).isNull());
    // The module on the desktop is bold and marked, and the status line says so.
    EXPECT_TRUE(item("Waves Module")->font(0).bold());
    EXPECT_EQ(item("Waves Module")->toolTip(0), "on the desktop");
    EXPECT_FALSE(item("Reef Module")->font(0).bold());
    auto* status = Widget<QLabel>("lblStatus");
    EXPECT_EQ(status->text(), "Waves Module is on the desktop.");
    DoubleClickTree("Reef Module");
    EXPECT_TRUE(item("Reef Module")->font(0).bold());
    EXPECT_FALSE(item("Waves Module")->font(0).bold());
    EXPECT_EQ(item("Waves Module")->toolTip(0), "");
    EXPECT_EQ(status->text(), "Reef Module is on the desktop.");
    // A status line, not a box: nothing modal is up.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // Changed elsewhere (the command line, a playlist), the desktop is shown as it is.
    Shell("wallpaper " + ShellQuote(ModuleUrl("Stars")));
    for (int i = 0; i < 100 && status->text() != "Stars Module is on the desktop."; ++i)
        QTest::qWait(30);
    EXPECT_EQ(status->text(), "Stars Module is on the desktop.");
    EXPECT_TRUE(item("Stars Module")->font(0).bold());
    EXPECT_FALSE(item("Reef Module")->font(0).bold());
    // So is what the desktop says of itself when it says it.
    platform::SetDesktopHostNote("Only a still here.");
    for (int i = 0; i < 100 && status->text() != "Stars Module is on the desktop. Only a still here."; ++i)
        QTest::qWait(30);
    EXPECT_EQ(status->text(), "Stars Module is on the desktop. Only a still here.");
    // Displays plugged in while the window is open come in its Display list.
    auto* displays = Widget<QComboBox>("cboDisplay");
    EXPECT_EQ(displays->count(), 2);
    display_layout::SaveSeen({{"DP-1", 1920, 1080, 1, 0, 0}, {"HDMI-2", 1280, 800, 1, 1920, 0}});
    for (int i = 0; i < 100 && displays->count() != 4; ++i)
        QTest::qWait(30);
    EXPECT_EQ(displays->itemText(3), "HDMI-2 (1280x800)");
    Shell("active-desktop off");
    for (int i = 0; i < 100 && status->text() != "The Active Desktop is off."; ++i)
        QTest::qWait(30);
    EXPECT_EQ(status->text(), "The Active Desktop is off.");
    EXPECT_FALSE(Widget<QCheckBox>("chkShowDeskTop")->isChecked());
    EXPECT_TRUE(ActiveDesktopOn() == false); // shown, not switched
}

TEST_F(Gui, ASecondStartRaisesAMinimisedWindow) {
    StandardCatalogue();
    Open();
    view->showMinimized();
    Settle();
    ASSERT_TRUE(view->isMinimized());
    // As the instance channel's thread delivers them: flashes, then the raise.
    std::thread([this] {
        for (int i = 0; i < 11; ++i)
            form->InstanceRequest(false);
        form->InstanceRequest(true);
    }).join();
    QTest::qWait(50);
    Settle();
    EXPECT_FALSE(view->isMinimized());
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbNormal);
}

TEST_F(Gui, ApplyByDoubleClickButtonAndKeyboardThenRemove) {
    StandardCatalogue();
    StandardToyz();
    Open();
    EXPECT_EQ(view->windowTitle(), "Zelkora Manager");
    EXPECT_EQ(view->tree()->topLevelItemCount(), 2);
    DoubleClickTree("Reef Module");
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));
    EXPECT_TRUE(Widget<QPushButton>("cmdRemove")->isEnabled());
    ClickTree("Stars Module");
    EXPECT_FALSE(Widget<QPushButton>("cmdRemove")->isEnabled());
    Click("cmdApply");
    EXPECT_EQ(Wallpaper(), ModuleUrl("Stars"));
    Click("cmdRemove");
    EXPECT_EQ(Wallpaper(), "");
    EXPECT_FALSE(Widget<QPushButton>("cmdRemove")->isEnabled());
    // The keyboard's selection previews, and the commands act on it.
    ClickTree("Waves Module");
    QTest::keyClick(view->tree(), Qt::Key_Down);
    Settle();
    EXPECT_EQ(form->TreeView.SelectedItem()->Text(), "Reef Module");
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Reef/preview.bmp"));
    Click("cmdApply");
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));

    ShowTab(1);
    auto* list = Widget<QListWidget>("lstToyz");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    Settle();
    EXPECT_EQ(form->lstToyz.ListIndex(), 1);
    EXPECT_EQ(form->pctToy.GetPicture().native, App("ZelToyz/Notes/preview.bmp"));
}

TEST_F(Gui, TheTabOrderRunsThroughTheTreesCommandsAndAltUActsByTab) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Waves")));
    Open();
    QApplication::setActiveWindow(view.get());
    view->tree()->setFocus();
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"cboDisplay", "cmdApply", "cmdRemove", "cmdRefresh",
                                               "cmdRemoveNode"}));
    for (const char* pane : {"wbModuleCopyright", "wbBanner", "wbToyCopyright", "wbHelp"})
        EXPECT_EQ(Widget<QWidget>(pane)->focusPolicy(), Qt::NoFocus) << pane;
    // Alt+U opens Update from the tree, and presses Un-Install on the Options tab.
    view->tree()->setFocus();
    QTest::keyClick(view->tree(), Qt::Key_U, Qt::AltModifier);
    Settle();
    EXPECT_EQ(view->tabs()->currentIndex(), 2);
    ShowTab(3);
    Widget<QCheckBox>("chkShowDeskTop")->setFocus();
    box->Expect("An Zelkora module is currently running on the desktop. Click OK to remove the "
                "zelkora module and continue de-installation",
                33, title, vbCancel);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
    Settle();
    box->Verify();
    EXPECT_EQ(view->tabs()->currentIndex(), 3); // still Options
}

TEST_F(Gui, AnUnreachableBannerShowsTheLocalBanner) {
    StandardCatalogue();
    Open();
    WriteFile(App("defaultad.htm"), "<html><body>local banner</body></html>");
    form->wbBanner.Navigate("http://127.0.0.1:9/_banner/defaultad.htm"); // nothing listens
    for (int i = 0; i < 100 && form->wbBanner.LocationURL() != "C:\\Zelkora\\defaultad.htm"; ++i) {
        QTest::qWait(50);
        Settle();
    }
    EXPECT_EQ(form->wbBanner.LocationURL(), "C:\\Zelkora\\defaultad.htm");
    // The local page failing too starts no loop; an older load's failure is ignored.
    size_t loads = form->wbBanner.History().size();
    form->wbBanner.UserNavigateError("C:\\Zelkora\\defaultad.htm");
    form->wbBanner.UserNavigateError("http://127.0.0.1:9/_banner/defaultad.htm");
    EXPECT_EQ(form->wbBanner.History().size(), loads);
}

TEST_F(Gui, MinimiseAfterAToyzApplyStaysMinimisedThroughItsMessage) {
    StandardCatalogue();
    StandardToyz();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    Open();
    ShowTab(3);
    Toggle("chkMinimizeAfterApply");
    ShowTab(1);
    ClickRow("lstToyz", 0);
    Click("cmdDown");
    auto previous = SetMsgBoxHandler(nullptr);
    qtview::InstallMessageBoxes();
    bool minimisedUnderTheBox = false;
    QWidget* parent = view.get();
    QTimer::singleShot(100, [&] {
        auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(b, nullptr);
        minimisedUnderTheBox = view->isMinimized();
        parent = b->parentWidget();
        b->button(QMessageBox::Ok)->click();
    });
    Click("cmdApplyToyz");
    SetMsgBoxHandler(previous);
    EXPECT_TRUE(minimisedUnderTheBox);
    EXPECT_EQ(parent, nullptr); // the box stood on its own, so the window stayed down
    EXPECT_TRUE(view->isMinimized());
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbMinimized);
}

TEST_F(Gui, PanesOfHiddenTabsAreMadeWhenFirstSeenAndShowTheirPages) {
    StandardCatalogue();
    StandardToyz();
    WriteFile(App("ZelToyz/Notes/copyright.htm"), "<html><body>notes</body></html>");
    cat.Sql("UPDATE tblToyz SET ToyCopyrightURL = 'ZelToyz\\Notes\\copyright.htm' WHERE "
            "ToyKey = 'Notes'");
    Open();
    auto pane = [this](const char* name) { return Widget<qtview::WebPane>(name); };
    // Shown at start: the banner and the module's copyright.
    EXPECT_NE(pane("wbBanner")->View(), nullptr);
    EXPECT_NE(pane("wbModuleCopyright")->View(), nullptr);
    for (const char* hidden : {"wbToyCopyright", "wbUpdate", "wbHelp"})
        EXPECT_EQ(pane(hidden)->View(), nullptr) << hidden;
    // Each page at its address under the application scheme.
    auto shows = [this](qtview::WebPane* p, const std::string& file) {
        QUrl want = qtview::PaneUrl(App(file));
        for (int i = 0; i < 100 && (!p->View() || p->View()->url() != want); ++i) {
            QTest::qWait(20);
            Settle();
        }
        return want.scheme() == "zelkora" && p->View() && p->View()->url() == want;
    };
    ShowTab(4);
    EXPECT_TRUE(shows(pane("wbHelp"), "defaulthelp.htm"));
    ShowTab(2);
    EXPECT_TRUE(shows(pane("wbUpdate"), "defaultupdate.htm"));
    // The toy selected while the tab was hidden: its page, when the tab opens.
    form->lstToyz.UserSelect(1);
    Settle();
    EXPECT_EQ(pane("wbToyCopyright")->View(), nullptr);
    ShowTab(1);
    EXPECT_TRUE(shows(pane("wbToyCopyright"), "ZelToyz/Notes/copyright.htm"));
    // Every pane is a locked-down page of the sandbox; the copyright panes,
    // which show documents, run no script.
    for (const char* name : {"wbModuleCopyright", "wbToyCopyright", "wbHelp"}) {
        auto* page = qobject_cast<sandbox::LockedPage*>(pane(name)->View()->page());
        ASSERT_NE(page, nullptr) << name;
        EXPECT_EQ(page->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled),
                  std::string(name).find("Copyright") == std::string::npos)
            << name;
        EXPECT_NE(page->profile()->urlSchemeHandler("zelkora"), nullptr) << name;
    }
}

TEST_F(Gui, CtrlFFiltersTheTreeTheArrowsChooseAndEscClears) {
    StandardCatalogue();
    Open();
    QApplication::setActiveWindow(view.get());
    ShowTab(3);
    QTest::keyClick(view.get(), Qt::Key_F, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(view->tabs()->currentIndex(), 0);
    ASSERT_EQ(QApplication::focusWidget(), view->filter());
    QTest::keyClicks(view->filter(), "STA");
    Settle();
    auto texts = [this] {
        QStringList t;
        for (QTreeWidgetItemIterator it(view->tree()); *it; ++it)
            t << (*it)->text(0);
        return t.join(";").toStdString();
    };
    EXPECT_EQ(texts(), "Space Theme;Stars Module");
    if (const char* shots = std::getenv("ZELKORA_SCREENSHOTS"))
        view->grab().save(QString(shots) + "/15-search.png");
    QTest::keyClick(view->filter(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), view->tree());
    Click("cmdApply");
    EXPECT_EQ(Wallpaper(), ModuleUrl("Stars"));
    view->filter()->setFocus();
    QTest::keyClick(view->filter(), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(texts(), "Ocean Theme;Waves Module;Reef Module;Space Theme;Stars Module");
}

TEST_F(Gui, CustomiseShowsAControlOfEachTypeAndStoresWhatTheUserSets) {
    StandardCatalogue();
    WavesProperties();
    Open();
    ClickTree("Waves Module");
    Click("cmdCustomise");
    QWidget* dialog = view->customise();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Customise Waves Module");
    auto* speed = dialog->findChild<QSlider*>("speed");
    auto* size = dialog->findChild<QComboBox*>("size");
    auto* words = dialog->findChild<QLineEdit*>("words");
    auto* sun = dialog->findChild<QCheckBox*>("sun");
    auto* sea = dialog->findChild<QPushButton*>("sea");
    auto* motion = dialog->findChild<QLabel*>("motion");
    ASSERT_TRUE(speed && size && words && sun && sea && motion);
    EXPECT_EQ(motion->text(), "Motion"); // a heading, in bold
    EXPECT_TRUE(motion->font().bold());
    EXPECT_EQ(sea->text(), "#16638f");
    EXPECT_EQ(speed->value(), 1);
    EXPECT_EQ(words->maxLength(), 5);
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_Right);
    QTest::mouseClick(sun, Qt::LeftButton, {}, QPoint(8, sun->height() / 2));
    size->setCurrentIndex(1);
    emit size->activated(1);
    words->selectAll();
    QTest::keyClicks(words, "Sea");
    Settle();
    EXPECT_EQ(nlohmann::json::parse(ReadFile(prefix.path("properties.json"))).dump(),
              R"({"Modules/Waves":{"size":"Large","speed":1.5,"sun":false,"words":"Sea"}})");
    EXPECT_EQ(speed->parentWidget()->findChild<QLabel*>()->text(), "1.5");
    Click("cmdRestoreDefaults");
    EXPECT_EQ(words->text(), "hi");
    EXPECT_EQ(speed->value(), 1);
    Click("cmdCustomiseClose");
    EXPECT_FALSE(dialog->isVisible());
}

// The Qt message box: the icon and buttons of each style, and its answers.
TEST(GuiMessageBox, StylesIconsButtonsAndAnswers) {
    auto previous = SetMsgBoxHandler(nullptr);
    qtview::InstallMessageBoxes();
    struct Case {
        int style;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton press; // NoButton: close the box instead
        int answer;
    } cases[] = {
        {16, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, vbOK},
        {33, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, vbOK},
        {33, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton,
         vbCancel},
        {36, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, vbYes},
        {36, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, vbNo},
        {48, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, vbOK},
        {64, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, vbOK},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(50, [&c] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->standardButtons(), c.buttons);
            EXPECT_EQ(box->windowTitle(), "Zelkora Manager - test");
            if (c.press == QMessageBox::NoButton)
                box->close();
            else
                box->button(c.press)->click();
        });
        EXPECT_EQ(MsgBox("Text", c.style, "Zelkora Manager - test"), c.answer) << c.style;
    }
    SetMsgBoxHandler(previous);
}

} // namespace
