// The Toyz tab: the installed toyz, the active ones in their order, the
// chosen toy's picture and copyright, and the buttons that bind them.
#include "window/qt/main_view.h"

#include "window/qt/view_sync.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

using qtview::Q;

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
