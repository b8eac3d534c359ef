// The Options tab: the Active Desktop switch, the transparency, the sound
// switch, the after-apply preferences and the de-installation.
#include "window/qt/main_view.h"

#include "window/qt/view_sync.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QSlider>
#include <QVBoxLayout>

using qtview::Q;

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
    d->addWidget(Check(form_.chkSound), 4, 0, 1, 3);
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
