// A hostile module, installed as an installer would install it and run on the
// profile and page the desktop host and the Manager's panes use: each class of
// attack it makes is refused, and nothing reaches a server on this machine.
#include "host/page_script.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/locked_page.h"
#include "sandbox/profiles.h"
#include "support/test_support.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string out;
        ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
        app_ = prefix_.path("drive_c/Program Files/Zelkora/");
        std::string dir = app_ + "Modules/Evil/Hostile/";
        fs::create_directories(dir);
        fs::copy_file(fs::path(ZELKORA_TESTS_DIR) / "sandbox/hostile/ZKRHostile.htm",
                      dir + "ZKRHostile.htm");
        WriteFile(dir + "data.txt", "mine");
        fs::create_directory_symlink("/etc", dir + "escape");
        WriteFile(app_ + "Modules/Ocean/Waves/secret.js", "window.secret = 1;");
        WriteFile(app_ + "ZelToyz/ZelToyz.txt", "&myFav1=Sticky Notes&\r\n");
        WriteFile(sandbox::ToyDataFile("Sticky Notes"), R"({"text":"my secret note"})");

        // A server that counts whatever reaches it.
        ASSERT_TRUE(tcp_.listen(QHostAddress::LocalHost));
        QObject::connect(&tcp_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = tcp_.nextPendingConnection()) {
                ++reached_;
                s->close();
            }
        });
        ASSERT_TRUE(udp_.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&udp_, &QUdpSocket::readyRead, [this] {
            while (udp_.hasPendingDatagrams()) {
                udp_.receiveDatagram();
                ++reached_;
            }
        });

        scheme_ = std::make_unique<sandbox::AppSchemeHandler>();
        scheme_->SetRoot(app_);
        profile_ = sandbox::NewInstalledPagesProfile(scheme_.get(), nullptr);
        view_ = std::make_unique<QWebEngineView>();
        page_ = new sandbox::LockedPage(profile_, view_.get());
        view_->setPage(page_);
        view_->resize(1024, 700);
        view_->show();
    }
    void TearDown() override {
        view_.reset();
        delete profile_;
    }

    QString Origin(const std::string& rel) {
        return QString::fromStdString(sandbox::AddressOf(app_, app_ + rel).url);
    }
    // The hostile page, told where the server and the others' origins are.
    QUrl Address() {
        QUrl toy(Origin("ZelToyz/Sticky Notes/toy.js"));
        return QUrl(Origin("Modules/Evil/Hostile/ZKRHostile.htm") +
                    QString("?tcp=%1&udp=%2&other=%3&toy=zelkora://%4")
                        .arg(tcp_.serverPort())
                        .arg(udp_.localPort())
                        .arg(QString(QUrl::toPercentEncoding(Origin("Modules/Ocean/Waves/ZKRWaves.htm"))),
                             toy.host()));
    }
    QVariant Eval(const QString& script) {
        return host::Evaluate(page_, script).value_or(QVariant());
    }

    TempPrefix prefix_;
    std::string app_;
    QTcpServer tcp_;
    QUdpSocket udp_;
    int reached_ = 0;
    std::unique_ptr<sandbox::AppSchemeHandler> scheme_;
    QWebEngineProfile* profile_ = nullptr;
    std::unique_ptr<QWebEngineView> view_;
    sandbox::LockedPage* page_ = nullptr;
};

TEST_F(Hostile, EveryAttackIsRefusedAndThePageStays) {
    QUrl address = Address();
    page_->Show(address);
    ASSERT_TRUE(host::WaitUntil(
        [&] { return Eval("document.documentElement.dataset.attacks === 'done'").toBool(); },
        90000));
    host::Pause(1500); // its navigations away, tried and refused
    QJsonObject got = QJsonDocument::fromJson(Eval("JSON.stringify(attacks)").toString().toUtf8()).object();
    ASSERT_EQ(got.size(), 28);
    for (auto it = got.begin(); it != got.end(); ++it)
        EXPECT_EQ(it.value().toString().toStdString(),
                  it.key() == "files: own folder" ? "read" : "refused")
            << it.key().toStdString();
    EXPECT_EQ(reached_, 0) << "the server was reached";
    EXPECT_EQ(page_->url(), address);
    EXPECT_EQ(Eval("document.documentElement.dataset.attacks").toString(), "done");
    // The note the toy keeps is as it was.
    EXPECT_EQ(ReadFile(sandbox::ToyDataFile("Sticky Notes")), R"({"text":"my secret note"})");
}

TEST_F(Hostile, ADocumentPaneRunsNoScript) {
    page_->SetScripts(false);
    page_->Show(Address());
    host::Pause(3000);
    EXPECT_FALSE(page_->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    EXPECT_FALSE(Eval("document.documentElement.dataset.attacks === 'done'").toBool());
    EXPECT_EQ(reached_, 0);
}

} // namespace
