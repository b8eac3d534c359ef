// The Modules tab: the tree of themes and modules, the chosen module's
// picture and copyright, and the buttons that apply, remove and refresh.
#include "window/qt/main_view.h"

#include "window/qt/art.h"
#include "window/qt/view_sync.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

using qtview::Q;
using qtview::Seen;

void MainView::BuildModulesTab(QWidget* page) {
    auto* grid = new QGridLayout(page);
    tree_ = new QTreeWidget;
    tree_->setObjectName("TreeView");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->viewport()->installEventFilter(this);
    // The filter above the tree: Ctrl+F anywhere in the window goes to it,
    // Esc clears it, and the down arrow goes on into the tree.
    filter_ = static_cast<QLineEdit*>(Line(form_.txtFilter));
    filter_->setPlaceholderText("Search modules and themes");
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        tabs_->setCurrentIndex(0);
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), filter_, nullptr, nullptr,
                                Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, filter_, &QLineEdit::clear);
    auto* down = new QShortcut(QKeySequence(Qt::Key_Down), filter_, nullptr, nullptr,
                               Qt::WidgetShortcut);
    connect(down, &QShortcut::activated, tree_, [this] { tree_->setFocus(); });
    grid->addWidget(filter_, 0, 0, 1, 2);
    grid->addWidget(tree_, 1, 0, 1, 2);
    QWidget* refresh = Button(form_.cmdRefresh);
    QWidget* uninstall = Button(form_.cmdRemoveNode);
    grid->addWidget(refresh, 2, 0);
    grid->addWidget(uninstall, 2, 1);

    // The playlist, below the tree its modules come from. Its tick turns it
    // on and shows what is in it; off, it takes no more room than the tick.
    grid->addWidget(Check(form_.chkPlaylist), 3, 0, 1, 2);
    auto* playlist = new QGroupBox;
    playlist->setObjectName("fraPlaylist");
    auto* p = new QGridLayout(playlist);
    syncs_.push_back([this, playlist] { playlist->setVisible(form_.chkPlaylist.Value() == 1); });
    QWidget* list = List(form_.lstPlaylist);
    list->setMaximumHeight(Scaled(QSize(0, 84)).height());
    p->addWidget(list, 1, 0, 1, 3);
    auto* when = static_cast<QLineEdit*>(Line(form_.txtPlaylistWhen));
    when->setPlaceholderText("every 10m, or at 07:30");
    when->setClearButtonEnabled(false);
    p->addWidget(when, 2, 0);
    p->addWidget(Check(form_.chkPlaylistShuffle), 2, 1, 1, 2);
    p->addWidget(Button(form_.cmdPlaylistAdd), 3, 0);
    p->addWidget(Button(form_.cmdPlaylistRemove), 3, 1, 1, 2);
    grid->addWidget(playlist, 4, 0, 1, 2);

    auto* frame = new QGroupBox(Q(form_.Frame1.Caption()));
    frame->setObjectName("Frame1");
    auto* f = new QVBoxLayout(frame);
    f->addWidget(Picture(form_.pctModule, Scaled(QSize(220, 150))), 0, Qt::AlignHCenter);
    f->addWidget(Web(form_.wbModuleCopyright), 1);
    auto* display = new QHBoxLayout;
    QWidget* displays = Combo(form_.cboDisplay);
    QLabel* displayLabel = static_cast<QLabel*>(Text(form_.lblDisplay));
    displayLabel->setBuddy(displays);
    display->addWidget(displayLabel);
    display->addWidget(displays, 1);
    f->addLayout(display);
    auto* buttons = new QHBoxLayout;
    QWidget* apply = Button(form_.cmdApply);
    QWidget* remove = Button(form_.cmdRemove);
    QWidget* customise = Button(form_.cmdCustomise);
    buttons->addWidget(apply);
    buttons->addWidget(remove);
    buttons->addWidget(customise);
    f->addLayout(buttons);
    grid->addWidget(frame, 0, 2, 5, 1);
    // The keyboard goes from the tree to what acts on its selection, then to
    // the list's own commands.
    QWidget::setTabOrder(filter_, tree_);
    QWidget::setTabOrder(tree_, displays);
    QWidget::setTabOrder(displays, apply);
    QWidget::setTabOrder(apply, remove);
    QWidget::setTabOrder(remove, customise);
    QWidget::setTabOrder(customise, refresh);
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
