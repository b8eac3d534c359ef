#include "install_dialog.h"

#include "import/wallpaper.h"
#include "platform/prefix.h"
#include "package/archive.h"
#include "package/install.h"
#include "package/temporary_folder.h"
#include "render/preview_render.h"
#include "window/qt/art.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace installer {

namespace {

// A request made ready: the package file to install, made first for a quick
// module or a wallpaper.
struct Prepared {
    std::unique_ptr<package::TemporaryFolder> work;
    std::string file;
    bool webAddress = false;
    std::vector<package::Problem> warnings; // a wallpaper's: what will not work here
};

// A wallpaper's own picture as the PNG previews are; none (so one is
// rendered from the page) when it cannot be read. A GIF gives its first frame.
void PreviewAsPng(const std::string& folder, package::Manifest& m) {
    if (m.preview.empty() || platform::EndsWithNoCase(m.preview, ".png")) return;
    QImage picture(QString::fromStdString(folder + "/" + m.preview));
    m.preview = !picture.isNull() && picture.save(QString::fromStdString(folder + "/zelkora-preview.png"))
                    ? "zelkora-preview.png"
                    : "";
    package::WriteText(folder + "/" + package::kManifestName, package::ManifestText(m));
}

Prepared Prepare(const Request& request) {
    Prepared p;
    p.file = request.file;
    if (!request.quick && !request.wallpaper) return p;
    p.work = std::make_unique<package::TemporaryFolder>();
    std::string folder = p.work->Path() + "/module";
    fs::create_directory(folder);
    package::Manifest m;
    if (request.wallpaper) {
        wallpaper::Imported imported = wallpaper::Import(request.file, folder);
        m = imported.manifest;
        PreviewAsPng(folder, m);
        p.webAddress = imported.webAddress;
        p.warnings = std::move(imported.warnings);
    } else {
        m = package::MakeQuickModule(request.source, folder);
        p.webAddress = request.source.kind == package::QuickSource::Address;
    }
    p.file = p.work->Path() + "/" + m.key + ".zelkora";
    package::Pack(folder, p.file);
    return p;
}

// A quick module or a wallpaper made again replaces itself.
bool Replaces(const Request& request) {
    return request.force || request.quick || request.wallpaper;
}

package::InstallOptions Options(const Request& request, const Prepared& prepared) {
    package::InstallOptions options;
    options.force = Replaces(request);
    options.webAddress = prepared.webAddress;
    options.renderPreview = render::RenderItemPreview;
    return options;
}

std::string Done(const package::Outcome& outcome) {
    return outcome.manifest.name + (outcome.upgraded ? " is upgraded." : " is installed.") +
           " Press Refresh List in Zelkora Manager.";
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// What a dropped file or text asks for; false when it is nothing to install.
bool RequestFromDrop(const QMimeData* data, Request& request) {
    request = {};
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
        QString path = data->urls().first().toLocalFile();
        request.source.source = path.toStdString();
        if (QFileInfo(path).suffix().toLower() == "zelkora") {
            request.file = path.toStdString();
            return true;
        }
        if (wallpaper::IsWallpaper(path.toStdString())) {
            request.file = path.toStdString();
            request.wallpaper = true;
            return true;
        }
        request.quick = true;
        return package::QuickKindOfFile(request.source.source, request.source.kind);
    }
    QString text = data->hasUrls() && !data->urls().isEmpty() ? data->urls().first().toString()
                                                              : data->text().trimmed();
    if (!text.startsWith("http://") && !text.startsWith("https://")) return false;
    request.quick = true;
    request.source.kind = package::QuickSource::Address;
    request.source.source = text.toStdString();
    return true;
}

class InstallDialog : public QDialog {
  public:
    explicit InstallDialog(const Request& request) {
        setWindowTitle("Install a Zelkora package");
        setWindowIcon(art::AppIcon());
        setAcceptDrops(true);
        setMinimumWidth(460);
        auto* layout = new QVBoxLayout(this);
        auto* top = new QHBoxLayout;
        preview_ = new QLabel;
        preview_->setFixedSize(240, 150);
        preview_->setAlignment(Qt::AlignCenter);
        preview_->setStyleSheet("background:#223; color:#aab; border:1px solid #667");
        top->addWidget(preview_);
        auto* form = new QFormLayout;
        for (auto [label, field] : {std::pair{"Name:", &name_}, {"Kind:", &kind_},
                                    {"Theme:", &theme_}, {"Author:", &author_},
                                    {"Version:", &version_}, {"Size:", &size_}}) {
            *field = new QLabel;
            (*field)->setTextInteractionFlags(Qt::TextSelectableByMouse);
            form->addRow(label, *field);
        }
        top->addLayout(form, 1);
        layout->addLayout(top);
        gets_ = new QLabel;
        gets_->setWordWrap(true);
        layout->addWidget(gets_);
        progress_ = new QProgressBar;
        progress_->setRange(0, 100);
        progress_->setValue(0);
        layout->addWidget(progress_);
        outcome_ = new QLabel;
        outcome_->setWordWrap(true);
        layout->addWidget(outcome_);
        buttons_ = new QDialogButtonBox;
        install_ = buttons_->addButton("Install", QDialogButtonBox::AcceptRole);
        cancel_ = buttons_->addButton(QDialogButtonBox::Cancel);
        layout->addWidget(buttons_);
        connect(install_, &QPushButton::clicked, this, [this] { Install(); });
        connect(cancel_, &QPushButton::clicked, this, [this] { installed_ ? accept() : reject(); });
        Show(request);
    }

  protected:
    void dragEnterEvent(QDragEnterEvent* e) override {
        Request r;
        if (RequestFromDrop(e->mimeData(), r)) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        Request r;
        if (RequestFromDrop(e->mimeData(), r)) {
            e->acceptProposedAction();
            Show(r);
        }
    }

  private:
    // Shows what the request would install, or why it cannot be.
    void Show(const Request& request) {
        request_ = request;
        prepared_ = {};
        outcome_->clear();
        progress_->setValue(0);
        install_->setEnabled(false);
        cancel_->setText("Cancel");
        if (request.file.empty() && !request.quick) {
            gets_->setText("Drop a package, a picture, a video, a page or a web address here.");
            return;
        }
        package::Summary s;
        try {
            prepared_ = Prepare(request);
            s = package::Inspect(prepared_.file, Replaces(request));
        } catch (const package::Refused& refused) {
            s.problems.push_back({"", refused.what()});
        }
        const package::Manifest& m = s.manifest;
        bool module = m.kind == package::Manifest::Module;
        name_->setText(Q(m.name));
        kind_->setText(request.quick       ? "Module (made from " + QFileInfo(Q(request.source.source)).fileName() + ")"
                       : request.wallpaper ? "Module (made from the wallpaper " + QFileInfo(Q(request.file)).fileName() + ")"
                       : module            ? "Module"
                                           : "Toy");
        theme_->setText(module ? Q(m.themeName) : "—");
        author_->setText(m.author.empty() ? "—" : Q(m.author));
        version_->setText(m.version.empty() ? "—"
                          : s.upgrade       ? Q(m.version + " (replaces " +
                                                (s.installed == m.version ? "the one installed" : s.installed) + ")")
                                            : Q(m.version));
        size_->setText(QLocale().formattedDataSize(static_cast<qint64>(s.size)));
        QPixmap picture;
        if (!s.preview.empty() &&
            picture.loadFromData(reinterpret_cast<const uchar*>(s.preview.data()),
                                 static_cast<uint>(s.preview.size())))
            preview_->setPixmap(picture.scaled(preview_->size(), Qt::KeepAspectRatio,
                                               Qt::SmoothTransformation));
        else
            preview_->setText("No preview");
        QString gets = prepared_.webAddress
                           ? "It gets a folder of its own. The address it shows runs as a web "
                             "page of its own, with the network; the module's files get none."
                           : "It gets a folder of its own and nothing else: no network, no other "
                             "files of yours.";
        // What it hears, which the user may refuse on the Manager's Options tab.
        for (const std::string& hears : package::WhatItHears(m))
            gets += "\nIt " + Q(hears) + ".";
        gets_->setText(gets);
        if (package::HasErrors(s.problems)) {
            outcome_->setText(Q("It cannot be installed:\n" + package::ProblemText(s.problems, false)));
            return;
        }
        if (!prepared_.warnings.empty()) {
            outcome_->setText(Q("What will not work here:\n" + package::ProblemText(prepared_.warnings)));
        }
        install_->setEnabled(true);
        install_->setDefault(true);
    }

    void Install() {
        install_->setEnabled(false);
        cancel_->setEnabled(false);
        package::InstallOptions options = Options(request_, prepared_);
        options.progress = [this](int percent, const std::string& step) {
            progress_->setValue(percent);
            progress_->setFormat(Q(step) + " %p%");
            QApplication::processEvents();
        };
        try {
            package::Outcome outcome = package::Install(prepared_.file, options);
            outcome_->setText(Q(Done(outcome)));
            installed_ = true;
        } catch (const package::Refused& refused) {
            outcome_->setText(Q(std::string("It was not installed: ") + refused.what()));
            progress_->setValue(0);
        }
        cancel_->setEnabled(true);
        cancel_->setText("Close");
    }

    Request request_;
    Prepared prepared_;
    bool installed_ = false;
    QLabel *preview_, *name_, *kind_, *theme_, *author_, *version_, *size_, *gets_, *outcome_;
    QProgressBar* progress_;
    QDialogButtonBox* buttons_;
    QPushButton *install_, *cancel_;
};

} // namespace

int RunQuietly(const Request& request) {
    Prepared prepared = Prepare(request);
    package::Outcome outcome = package::Install(prepared.file, Options(request, prepared));
    std::cerr << package::ProblemText(prepared.warnings) << package::ProblemText(outcome.warnings);
    std::cout << Done(outcome) << "\n";
    return 0;
}

std::unique_ptr<QDialog> NewDialog(const Request& request) {
    return std::make_unique<InstallDialog>(request);
}

int RunDialog(const Request& request) {
    InstallDialog dialog(request);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

} // namespace installer
