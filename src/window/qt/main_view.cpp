#include "window/qt/main_view.h"

#include "platform/prefix.h"
#include "window/qt/art.h"
#include "window/qt/message_box.h"
#include "window/qt/web_pane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// An address of a web pane: a URL as it is, a Windows or native path mapped
// into the prefix.

template <class T> struct Seen {
    uint64_t revision = ~0ULL;
    bool Changed(const T& c) {
        if (c.Revision() == revision) return false;
        revision = c.Revision();
        return true;
    }
};

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
    outer->addWidget(tabs_, 1);
    QWidget* banner = Web(form_.wbBanner);
    banner->setFixedHeight(compact_ ? 40 : 72);
    outer->addWidget(banner);
    auto* status = static_cast<QLabel*>(Text(form_.lblStatus));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFrameShadow(QFrame::Sunken);
    status->setTextInteractionFlags(Qt::NoTextInteraction);
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
                                                  &form_.TreeView,
                                                  &form_.cmdRemove,
                                                  &form_.pctModule,
                                                  &form_.cmdApply,
                                                  &form_.wbModuleCopyright,
                                                  &form_.cmdRefresh,
                                                  &form_.cmdRemoveNode,
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

QWidget* MainView::Check(toolkit::CheckBox& c) {
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
    syncs_.push_back([b, &c] {
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
    auto items = std::make_shared<uint64_t>(~0ULL);
    syncs_.push_back([w, &c, items] {
        QSignalBlocker block(w);
        if (*items != c.ItemsRevision()) {
            *items = c.ItemsRevision();
            w->clear();
            for (int i = 0; i < c.ListCount(); ++i)
                w->addItem(Q(c.List(i)));
        }
        w->setCurrentRow(c.ListIndex());
        if (c.ListIndex() < 0) w->clearSelection();
    });
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

void MainView::BuildModulesTab(QWidget* page) {
    auto* grid = new QGridLayout(page);
    tree_ = new QTreeWidget;
    tree_->setObjectName("TreeView");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->viewport()->installEventFilter(this);
    grid->addWidget(tree_, 0, 0, 1, 2);
    QWidget* refresh = Button(form_.cmdRefresh);
    QWidget* uninstall = Button(form_.cmdRemoveNode);
    grid->addWidget(refresh, 1, 0);
    grid->addWidget(uninstall, 1, 1);

    auto* frame = new QGroupBox(Q(form_.Frame1.Caption()));
    frame->setObjectName("Frame1");
    auto* f = new QVBoxLayout(frame);
    f->addWidget(Picture(form_.pctModule, Scaled(QSize(220, 150))), 0, Qt::AlignHCenter);
    f->addWidget(Web(form_.wbModuleCopyright), 1);
    auto* buttons = new QHBoxLayout;
    QWidget* apply = Button(form_.cmdApply);
    QWidget* remove = Button(form_.cmdRemove);
    buttons->addWidget(apply);
    buttons->addWidget(remove);
    f->addLayout(buttons);
    grid->addWidget(frame, 0, 2, 2, 1);
    // The keyboard goes from the tree to what acts on its selection, then to
    // the list's own commands.
    QWidget::setTabOrder(tree_, apply);
    QWidget::setTabOrder(apply, remove);
    QWidget::setTabOrder(remove, refresh);
    QWidget::setTabOrder(refresh, uninstall);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    std::vector<QIcon> icons, marked;
    for (int i = 1; i <= 4; ++i) {
        icons.emplace_back(art::TreeImage(i));
        marked.emplace_back(art::OnDesktopImage(i));
    }
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        form_.TreeView.UserClick(item->data(0, Qt::UserRole).toInt());
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        // The click of the pair reached the tree already.
        form_.TreeView.UserDblClick(item->data(0, Qt::UserRole).toInt(), true);
    });
    // A selection the mouse makes is the click that follows; any other one
    // (the keyboard's) acts as a click at once.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !treeMousePressed_)
            form_.TreeView.UserKeyboardSelect(item->data(0, Qt::UserRole).toInt());
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        form_.TreeView.Nodes(item->data(0, Qt::UserRole).toInt()).SetExpanded(true);
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        form_.TreeView.Nodes(item->data(0, Qt::UserRole).toInt()).SetExpanded(false);
    });
    auto structure = std::make_shared<uint64_t>(~0ULL);
    auto seen = std::make_shared<Seen<toolkit::Control>>();
    auto items = std::make_shared<std::vector<QTreeWidgetItem*>>();
    auto shown = std::make_shared<std::vector<int>>(); // image and expansion as drawn
    syncs_.push_back([this, structure, seen, items, shown, icons, marked] {
        toolkit::TreeView& t = form_.TreeView;
        if (!seen->Changed(t)) return;
        QSignalBlocker block(tree_);
        if (*structure != t.StructureRevision()) {
            *structure = t.StructureRevision();
            tree_->clear();
            items->assign(1, nullptr);
            shown->assign(static_cast<size_t>(t.Count()) + 1, -1);
            for (int i = 1; i <= t.Count(); ++i) {
                toolkit::Node& n = t.Nodes(i);
                auto* item = n.Parent()
                                 ? new QTreeWidgetItem((*items)[static_cast<size_t>(n.Parent())])
                                 : new QTreeWidgetItem(tree_);
                item->setText(0, Q(n.Text()));
                item->setData(0, Qt::UserRole, i);
                items->push_back(item);
            }
        }
        toolkit::Node* selected = t.SelectedItem();
        for (int i = 1; i < static_cast<int>(items->size()); ++i) {
            toolkit::Node& n = t.Nodes(i);
            QTreeWidgetItem* item = (*items)[static_cast<size_t>(i)];
            bool isSelected = selected && selected->Index() == i;
            int image = n.Expanded() && n.ExpandedImage ? n.ExpandedImage
                        : isSelected && n.SelectedImage ? n.SelectedImage
                                                        : n.Image;
            if (!t.GetImageList() || image < 1 || image > 4) image = 0;
            int state = (image * 2 + (n.Expanded() ? 1 : 0)) * 2 + (n.Bold() ? 1 : 0);
            int& drawn = (*shown)[static_cast<size_t>(i)];
            if (drawn == state && item->toolTip(0) == Q(n.Note()))
                continue; // only what changed is redrawn
            drawn = state;
            // A node with a note (the module on the desktop) is bold, with the
            // marked picture, and says its note when pointed at.
            const auto& set = n.Note().empty() ? icons : marked;
            item->setIcon(0, image ? set[static_cast<size_t>(image - 1)] : QIcon());
            QFont font = item->font(0);
            font.setBold(n.Bold());
            item->setFont(0, font);
            item->setToolTip(0, Q(n.Note()));
            if (item->isExpanded() != n.Expanded()) item->setExpanded(n.Expanded());
        }
        if (selected)
            tree_->setCurrentItem((*items)[static_cast<size_t>(selected->Index())]);
        else
            tree_->clearSelection();
    });
}

void MainView::BuildToyzTab(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->addWidget(Text(form_.Label10), 0, 0, 1, 2);
    grid->addWidget(List(form_.lstToyz), 1, 0, 1, 2);
    auto* arrows = new QHBoxLayout;
    arrows->addStretch();
    arrows->addWidget(ArrowButton(form_.cmdDown, false));
    arrows->addWidget(ArrowButton(form_.cmdUp, true));
    arrows->addStretch();
    grid->addLayout(arrows, 2, 0, 1, 2);
    grid->addWidget(Text(form_.Label9), 3, 0, 1, 2);
    // The three places stand beside the rows of the active list.
    auto* active = static_cast<QListWidget*>(List(form_.lstActiveToyz));
    const int row = active->fontMetrics().height() + 4;
    auto* places = new QVBoxLayout;
    places->setSpacing(0);
    places->setContentsMargins(0, active->frameWidth(), 0, 0);
    for (auto* l : {&form_.Label11, &form_.Label12, &form_.Label13}) {
        QWidget* label = Text(*l);
        label->setFixedHeight(row);
        places->addWidget(label);
    }
    places->addStretch();
    grid->addLayout(places, 4, 0);
    active->setUniformItemSizes(true);
    active->setFixedHeight(3 * row + 2 * active->frameWidth());
    active->setStyleSheet(QString("QListWidget::item { height: %1px; }").arg(row));
    grid->addWidget(active, 4, 1, Qt::AlignTop);

    auto* frame = new QGroupBox(Q(form_.Frame4.Caption()));
    frame->setObjectName("Frame4");
    auto* f = new QVBoxLayout(frame);
    f->addWidget(Picture(form_.pctToy, Scaled(QSize(180, 120))), 0, Qt::AlignHCenter);
    f->addWidget(Web(form_.wbToyCopyright), 1);
    grid->addWidget(frame, 0, 2, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button(form_.cmdUninstallToy));
    buttons->addWidget(Button(form_.cmdRefreshToyzList));
    buttons->addStretch();
    buttons->addWidget(Button(form_.cmdApplyToyz));
    grid->addLayout(buttons, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

void MainView::BuildOptionsTab(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    auto* desk = new QGroupBox(Q(form_.Frame3.Caption()));
    desk->setObjectName("Frame3");
    auto* d = new QGridLayout(desk);
    d->addWidget(Check(form_.chkShowDeskTop), 0, 0, 1, 3);
    d->addWidget(Text(form_.Label6), 1, 0, 1, 3);
    d->addWidget(Text(form_.Label7), 2, 0);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName("Slider1");
    slider->setToolTip(Q(form_.Slider1.ToolTipText()));
    slider->setRange(form_.Slider1.Min(), form_.Slider1.Max());
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    d->addWidget(slider, 2, 1);
    d->addWidget(Text(form_.Label8), 2, 2);
    d->addWidget(Button(form_.cmdApplyTransparency), 3, 2);
    connect(slider, &QSlider::valueChanged, this,
            [this](int value) { form_.Slider1.UserSetValue(value); });
    syncs_.push_back([this, slider] {
        QSignalBlocker block(slider);
        slider->setValue(form_.Slider1.Value());
    });
    v->addWidget(desk);

    auto* mgr = new QGroupBox(Q(form_.Frame2.Caption()));
    mgr->setObjectName("Frame2");
    auto* m = new QGridLayout(mgr);
    m->addWidget(Check(form_.chkExitAfterApply), 0, 0);
    m->addWidget(Check(form_.chkMinimizeAfterApply), 1, 0);
    m->addWidget(Button(form_.cmdDeInstall), 1, 1, Qt::AlignRight);
    v->addWidget(mgr);
    v->addStretch();
}

void MainView::BuildAboutTab(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    auto* box4 = new QFrame;
    box4->setObjectName("Picture4");
    box4->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(box4);
    auto* icon = new QLabel;
    icon->setObjectName("Picture2");
    icon->setPixmap(art::AppIconPixmap(32));
    icon->setFixedSize(32, 32);
    g->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    QFont bold("MS Sans Serif");
    bold.setPointSizeF(8.25);
    bold.setWeight(QFont::Bold);
    toolkit::Label* captions[] = {&form_.Label1, &form_.Label2, &form_.Label3, &form_.Label4,
                                  &form_.Label5};
    toolkit::Label* values[] = {&form_.lblAppTitle, &form_.lblCompanyName, &form_.lblLegalCopyright,
                                &form_.lblVersion, &form_.lblProductName};
    for (int i = 0; i < 5; ++i) {
        QWidget* c = Text(*captions[i]);
        c->setFont(bold);
        g->addWidget(c, i, 1, Qt::AlignRight | Qt::AlignTop);
        auto* value = static_cast<QLabel*>(Text(*values[i]));
        value->setWordWrap(true);
        g->addWidget(value, i, 2);
    }
    g->setColumnStretch(2, 1);
    v->addWidget(box4);

    auto* box1 = new QFrame;
    box1->setObjectName("Picture1");
    box1->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(box1);
    auto* player = new QLabel;
    player->setObjectName("Picture3");
    player->setPixmap(art::PlayerBitmap());
    player->setFixedSize(100, 28);
    h->addWidget(player, 0, Qt::AlignTop);
    auto* ack = static_cast<QLabel*>(Text(form_.Label14));
    QFont arial("Arial");
    arial.setPointSizeF(8.25);
    ack->setFont(arial);
    ack->setWordWrap(true);
    h->addWidget(ack, 1);
    v->addWidget(box1);
    v->addStretch();
}
