// The window at scale 2 on a 1280 x 900 screen (640 x 450 to the window):
// it fits the screen, and every button of every tab can be seen.
#include "window/manager_fixture.h"
#include "window/qt/main_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTest>
#include <cstdlib>

namespace {

using namespace testing_support;

class Scale : public ManagerTest {};

TEST_F(Scale, TheWindowAndItsButtonsFitTheScreen) {
    ASSERT_EQ(QApplication::primaryScreen()->geometry().size(), QSize(640, 450));
    StandardCatalogue();
    Load();
    MainView view(*form);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QRect screen = QApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(view.frameGeometry())) << view.width() << "x" << view.height();
    for (int tab = 0; tab < view.tabs()->count(); ++tab) {
        view.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        auto* scroll = qobject_cast<QScrollArea*>(view.tabs()->currentWidget());
        ASSERT_NE(scroll, nullptr);
        for (auto* b : scroll->findChildren<QAbstractButton*>()) {
            if (!b->isVisibleTo(&view)) continue;
            // Scrolled into sight if need be, the whole button is inside the page.
            scroll->ensureWidgetVisible(b, 0, 0);
            QApplication::processEvents();
            QRect onPage(b->mapTo(scroll->viewport(), QPoint()), b->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(onPage))
                << b->objectName().toStdString() << " on tab " << tab;
            QRect inWindow(b->mapTo(&view, QPoint()), b->size());
            EXPECT_TRUE(view.rect().contains(inWindow)) << b->objectName().toStdString();
        }
    }
    // The first tab needs no scrolling at all.
    view.tabs()->setCurrentIndex(0);
    QApplication::processEvents();
    auto* modules = qobject_cast<QScrollArea*>(view.tabs()->currentWidget());
    EXPECT_FALSE(modules->verticalScrollBar()->isVisible());
    EXPECT_FALSE(modules->horizontalScrollBar()->isVisible());
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A 1280 x 900 screen at scale 2.
    QTemporaryFile config;
    config.setAutoRemove(true);
    if (!config.open()) return 2;
    config.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1280, "height": 900,
                    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.flush();
    std::string platform = "offscreen:configfile=" + config.fileName().toStdString();
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    ::setenv("QT_SCALE_FACTOR", "2", 1);
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging", 0);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
