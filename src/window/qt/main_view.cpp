#include "window/qt/main_view.h"

#include "desktop/display_layout.h"
#include "platform/desktop_host.h"
#include "platform/prefix.h"
#include "window/qt/art.h"
#include "window/qt/message_box.h"
#include "window/qt/view_sync.h"
#include "window/qt/web_pane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using qtview::Q;
using qtview::Seen;

namespace {

// Whether a file of the prefix changed since its stamp was taken; the stamp
// is taken anew.
bool Changed(const std::string& path, platform::FileStamp& stamp) {
    platform::FileStamp now;
    if (!platform::StatFile(path, now)) now = {};
    if (now == stamp) return false;
    stamp = now;
    return true;
}

// Keeps a list widget's entries those of the list box (filled again only
// when they changed) and its selection the box's, told through select.
template <typename Widget, typename Select>
std::function<void()> EntriesSync(Widget* w, toolkit::ListBox& c, Select select) {
    auto items = std::make_shared<uint64_t>(~0ULL);
    return [w, &c, items, select] {
        QSignalBlocker block(w);
        if (*items != c.ItemsRevision()) {
            *items = c.ItemsRevision();
            w->clear();
            for (int i = 0; i < c.ListCount(); ++i)
                w->addItem(Q(c.List(i)));
        }
        select(c.ListIndex());
    };
}

} // namespace

MainView::MainView(frmZKRMain& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName("frmZKRMain");
    setWindowIcon(art::AppIcon());
    // On a small screen (or a large scale factor) the pictures and the banner
    // shrink, and a page that still does not fit scrolls, so that the window
    // and all of its buttons stay on the screen.
    const QSize preferred(660, 600);
    QRect available = screen() ? screen()->availableGeometry() : QRect(QPoint(), preferred);
    compact_ = available.width() < preferred.width() || available.height() < preferred.height();
    auto* outer = new QVBoxLayout(this);
    if (compact_) outer->setContentsMargins(4, 4, 4, 4);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("SSTab1");
    const auto& captions = form_.SSTab1.TabCaptions();
    QWidget* pages[6];
    for (size_t i = 0; i < captions.size(); ++i) {
        pages[i] = new QWidget;
        auto* scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(pages[i]);
        tabs_->addTab(scroll, Q(captions[i]));
    }
    BuildModulesTab(pages[0]);
    BuildToyzTab(pages[1]);
    (new QVBoxLayout(pages[2]))->addWidget(Web(form_.wbUpdate));
    BuildOptionsTab(pages[3]);
    (new QVBoxLayout(pages[4]))->addWidget(Web(form_.wbHelp));
    BuildAboutTab(pages[5]);
    BuildCustomise();
    outer->addWidget(tabs_, 1);
    QWidget* banner = Web(form_.wbBanner);
    banner->setFixedHeight(compact_ ? 40 : 72);
    outer->addWidget(banner);
    auto* status = static_cast<QLabel*>(Text(form_.lblStatus));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFrameShadow(QFrame::Sunken);
    status->setTextInteractionFlags(Qt::NoTextInteraction);
    // What the desktop says of itself can be longer than the window is wide.
    status->setWordWrap(true);
    outer->addWidget(status);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) {
        if (i != form_.SSTab1.Tab()) form_.SSTab1.UserSelectTab(i);
    });
    auto tabSeen = std::make_shared<Seen<toolkit::Control>>();
    syncs_.push_back([this, tabSeen] {
        if (!tabSeen->Changed(form_.SSTab1)) return;
        QSignalBlocker b(tabs_);
        tabs_->setCurrentIndex(form_.SSTab1.Tab());
    });
    auto meSeen = std::make_shared<Seen<toolkit::Control>>();
    syncs_.push_back([this, meSeen] {
        if (!meSeen->Changed(form_.Me)) return;
        setWindowTitle(Q(form_.Me.Caption()));
        if (form_.Me.WindowState() == toolkit::vbMinimized && !isMinimized()) showMinimized();
        bool busy = form_.Me.MousePointer() == toolkit::vbHourglass;
        if (busy && !overrideCursors_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            overrideCursors_ = 1;
        } else if (!busy && overrideCursors_) {
            QApplication::restoreOverrideCursor();
            overrideCursors_ = 0;
        }
    });

    for (toolkit::Control* c :
         std::initializer_list<toolkit::Control*>{&form_.Me,
                                                  &form_.SSTab1,
                                                  &form_.wbBanner,
                                                  &form_.txtFilter,
                                                  &form_.chkPlaylist,
                                                  &form_.lstPlaylist,
                                                  &form_.txtPlaylistWhen,
                                                  &form_.chkPlaylistShuffle,
                                                  &form_.cmdPlaylistAdd,
                                                  &form_.cmdPlaylistRemove,
                                                  &form_.TreeView,
                                                  &form_.cmdRemove,
                                                  &form_.pctModule,
                                                  &form_.cmdApply,
                                                  &form_.wbModuleCopyright,
                                                  &form_.cmdRefresh,
                                                  &form_.cmdRemoveNode,
                                                  &form_.cmdCustomise,
                                                  &form_.frmCustomise,
                                                  &form_.cmdRestoreDefaults,
                                                  &form_.cmdCustomiseClose,
                                                  &form_.lstToyz,
                                                  &form_.lstActiveToyz,
                                                  &form_.pctToy,
                                                  &form_.wbToyCopyright,
                                                  &form_.cmdUninstallToy,
                                                  &form_.cmdRefreshToyzList,
                                                  &form_.cmdUp,
                                                  &form_.cmdDown,
                                                  &form_.cmdApplyToyz,
                                                  &form_.wbUpdate,
                                                  &form_.chkShowDeskTop,
                                                  &form_.chkSound,
                                                  &form_.cmdApplyTransparency,
                                                  &form_.Slider1,
                                                  &form_.cmdDeInstall,
                                                  &form_.chkExitAfterApply,
                                                  &form_.chkMinimizeAfterApply,
                                                  &form_.wbHelp,
                                                  &form_.lblAppTitle,
                                                  &form_.lblCompanyName,
                                                  &form_.lblLegalCopyright,
                                                  &form_.lblVersion,
                                                  &form_.lblProductName})
        c->Changed.Connect([this, alive = alive_] {
            if (*alive) ScheduleSync();
        });

    form_.SetInstanceRequestHandler([this](bool toFront) {
        QMetaObject::invokeMethod(
            this, [this, toFront] { OnInstanceRequest(toFront); }, Qt::QueuedConnection);
    });
    // Sees every event of the application, this window's own included.
    qApp->installEventFilter(this);
    qtview::SetBeforeMessageBox([this, alive = alive_] {
        if (*alive) SyncNow();
    });
    // The desktop changed by other means (the command line, a playlist): the
    // shell's record is read again, and the window shows it.
    auto* watcher = new QFileSystemWatcher(this);
    QString prefix = QString::fromStdString(platform::PrefixDir());
    watcher->addPath(prefix);
    auto* follow = new QTimer(this);
    follow->setSingleShot(true);
    follow->setInterval(200);
    connect(watcher, &QFileSystemWatcher::directoryChanged, follow, qOverload<>(&QTimer::start));
    connect(follow, &QTimer::timeout, this, [this, watcher, prefix] {
        if (!watcher->directories().contains(prefix)) watcher->addPath(prefix);
        // A module's properties set by the command line show in Customise.
        if (Changed(module_properties::StoreFile(), propertiesStamp_)) form_.zkr_ShowCustomise();
        // Displays plugged in or out, as the desktop sees them, and modules
        // given to displays by the command line.
        bool displays = Changed(display_layout::SeenPath(), seenStamp_);
        if (displays) form_.zkr_ListDisplays();
        displays = Changed(display_layout::ChoicesPath(), choicesStamp_) || displays;
        // What the desktop says of itself (a still only, GNOME's extension
        // off) comes in the status line as the desktop says it.
        std::string note = platform::DesktopHostNote();
        bool noted = note != hostNote_;
        hostNote_ = std::move(note);
        if (Changed(platform::PrefixDir() + "/shell.ini", shellStamp_)) {
            form_.zkr_FollowDesktop();
        } else if (noted || displays) {
            form_.zkr_ShowDesktopStatus();
            ScheduleSync();
        }
    });
    hostNote_ = platform::DesktopHostNote();
    for (auto [path, stamp] : {std::pair{display_layout::SeenPath(), &seenStamp_},
                               {display_layout::ChoicesPath(), &choicesStamp_},
                               {platform::PrefixDir() + "/shell.ini", &shellStamp_},
                               {module_properties::StoreFile(), &propertiesStamp_}})
        Changed(path, *stamp);
    // The frame the window manager adds is not known before the window is
    // shown; leave room for a title bar.
    resize(preferred.boundedTo(available.size() - QSize(8, 40)));
    SyncNow();
    // The keyboard starts in the tree, where the user chooses a module.
    tree_->setFocus();
}

MainView::~MainView() {
    *alive_ = false;
    form_.SetInstanceRequestHandler(nullptr);
    qtview::SetBeforeMessageBox(nullptr);
    if (overrideCursors_) QApplication::restoreOverrideCursor();
}

void MainView::ScheduleSync() {
    if (syncPending_) return;
    syncPending_ = true;
    QTimer::singleShot(0, this, [this] { SyncNow(); });
}

void MainView::SyncNow() {
    syncPending_ = false;
    for (auto& s : syncs_)
        s();
}

QAbstractButton* MainView::PageButtonFor(QEvent* e) const {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() != Qt::AltModifier || !tabs_ || !isActiveWindow()) return nullptr;
    QString key = k->text().isEmpty() ? QKeySequence(k->key()).toString() : k->text();
    if (key.size() != 1) return nullptr;
    for (auto* b : tabs_->currentWidget()->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || !b->isEnabled()) continue;
        QString text = b->text();
        int amp = text.indexOf('&');
        while (amp >= 0 && amp + 1 < text.size() && text[amp + 1] == '&')
            amp = text.indexOf('&', amp + 2);
        if (amp >= 0 && amp + 1 < text.size() &&
            text[amp + 1].toLower() == key[0].toLower())
            return b;
    }
    return nullptr;
}

bool MainView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == this && e->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        // After the first paint, the web panes that are seen get their browsers.
        QTimer::singleShot(0, this, [this] {
            for (auto* pane : findChildren<qtview::WebPane*>())
                pane->SetReady();
        });
    }
    // An access key of a button on the page shown wins over a tab's same key
    // (Alt+U is "&Un-Install Zelkora" on Options, not the "&Update" tab).
    if (e->type() == QEvent::ShortcutOverride && PageButtonFor(e)) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        if (QAbstractButton* b = PageButtonFor(e)) {
            b->click();
            return true;
        }
    }
    if (tree_ && watched == tree_->viewport()) {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
            treeMousePressed_ = true;
        else if (e->type() == QEvent::MouseButtonRelease)
            QTimer::singleShot(0, this, [this] { treeMousePressed_ = false; });
    }
    return QWidget::eventFilter(watched, e);
}

void MainView::closeEvent(QCloseEvent* e) {
    // Closing the window ends the process; nothing is saved on the way out.
    e->accept();
    QApplication::quit();
}

void MainView::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange && !isMinimized() &&
        form_.Me.WindowState() == toolkit::vbMinimized)
        form_.Me.SetWindowState(toolkit::vbNormal);
    QWidget::changeEvent(e);
}

void MainView::OnInstanceRequest(bool toFront) {
    if (!toFront) {
        QApplication::alert(this, 100);
        return;
    }
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

QWidget* MainView::Button(toolkit::CommandButton& c) {
    auto* b = new QPushButton(Q(c.Caption()));
    b->setObjectName(Q(c.Name));
    b->setToolTip(Q(c.ToolTipText()));
    connect(b, &QPushButton::clicked, this, [&c] { c.UserClick(); });
    syncs_.push_back([b, &c] { b->setEnabled(c.Enabled()); });
    return b;
}

QWidget* MainView::ArrowButton(toolkit::CommandButton& c, bool up) {
    auto* b = static_cast<QPushButton*>(Button(c));
    b->setIcon(art::Arrow(up));
    b->setIconSize(QSize(13, 8));
    b->setFixedSize(30, 22);
    return b;
}

QWidget* MainView::Check(toolkit::CheckBox& c, std::vector<std::function<void()>>& syncs) {
    auto* b = new QCheckBox(Q(c.Caption()));
    b->setObjectName(Q(c.Name));
    b->setToolTip(Q(c.ToolTipText()));
    // The control decides the value; the widget only shows it.
    connect(b, &QCheckBox::clicked, this, [this, b, &c] {
        c.UserToggle();
        QSignalBlocker block(b);
        b->setChecked(c.Value() != 0);
        ScheduleSync();
    });
    syncs.push_back([b, &c] {
        QSignalBlocker block(b);
        b->setChecked(c.Value() != 0);
        b->setEnabled(c.Enabled());
    });
    return b;
}

QWidget* MainView::List(toolkit::ListBox& c) {
    auto* w = new QListWidget;
    w->setObjectName(Q(c.Name));
    w->setToolTip(Q(c.ToolTipText()));
    // A selection by the user (mouse or keyboard) raises Click once, when it changes.
    connect(w, &QListWidget::currentRowChanged, this, [&c](int row) {
        if (row >= 0 && row != c.ListIndex()) c.UserSelect(row);
    });
    syncs_.push_back(EntriesSync(w, c, [w](int index) {
        w->setCurrentRow(index);
        if (index < 0) w->clearSelection();
    }));
    return w;
}

QWidget* MainView::Combo(toolkit::ListBox& c) {
    auto* w = new QComboBox;
    w->setObjectName(Q(c.Name));
    w->setToolTip(Q(c.ToolTipText()));
    w->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(w, &QComboBox::activated, this, [&c](int row) {
        if (row >= 0 && row != c.ListIndex()) c.UserSelect(row);
    });
    syncs_.push_back(EntriesSync(w, c, [w](int index) { w->setCurrentIndex(index); }));
    return w;
}

QWidget* MainView::Picture(toolkit::PictureBox& c, QSize size) {
    auto* l = new QLabel;
    l->setObjectName(Q(c.Name));
    l->setFixedSize(size);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::StyledPanel);
    auto seen = std::make_shared<Seen<toolkit::Control>>();
    syncs_.push_back([l, &c, seen, size] {
        if (!seen->Changed(c)) return;
        QPixmap p(Q(c.GetPicture().native));
        if (p.isNull()) {
            l->clear();
            return;
        }
        l->setPixmap(p.scaled(size - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    });
    return l;
}

QWidget* MainView::Web(toolkit::WebBrowser& c) {
    // The browser is made when the pane is first seen: the panes of tabs not
    // shown cost nothing before the first paint.
    auto* pane = new qtview::WebPane;
    pane->setObjectName(Q(c.Name));
    // The copyright pages are documents: a stranger's script has no place there.
    pane->SetScripts(&c != &form_.wbModuleCopyright && &c != &form_.wbToyCopyright);
    auto seen = std::make_shared<Seen<toolkit::Control>>();
    auto requested = std::make_shared<std::string>();
    syncs_.push_back([pane, &c, seen, requested] {
        if (!seen->Changed(c)) return;
        *requested = c.LocationURL();
        pane->Load(qtview::PaneUrl(*requested));
    });
    pane->SetLoadFailed([&c, requested](const QUrl&) { c.UserNavigateError(*requested); });
    return pane;
}

QWidget* MainView::Text(toolkit::Label& c) {
    auto* l = new QLabel(Q(c.Caption()));
    l->setObjectName(Q(c.Name));
    syncs_.push_back([l, &c] { l->setText(Q(c.Caption())); });
    return l;
}

QWidget* MainView::Line(toolkit::TextBox& c, std::vector<std::function<void()>>& syncs) {
    auto* e = new QLineEdit(Q(c.Text()));
    e->setObjectName(Q(c.Name));
    e->setToolTip(Q(c.ToolTipText()));
    e->setClearButtonEnabled(true);
    connect(e, &QLineEdit::textChanged, this, [&c](const QString& text) {
        if (text.toStdString() != c.Text()) c.UserSetText(text.toStdString());
    });
    syncs.push_back([e, &c] {
        if (e->text().toStdString() != c.Text()) e->setText(Q(c.Text()));
    });
    return e;
}
