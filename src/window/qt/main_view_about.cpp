// The About tab: title, company, copyright, version and product.
#include "window/qt/main_view.h"

#include "window/qt/art.h"
#include "window/qt/view_sync.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using qtview::Q;

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
