// The Customise window: the chosen module's properties, each as the control
// its type calls for (a colour button, a slider with its value, a box, a
// list of choices, a line of text), with "Restore defaults" and "Close".
#include "window/qt/main_view.h"

#include "window/qt/view_sync.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

using package::Property;
using qtview::Q;

namespace {

// A swatch of the colour with its #rrggbb beside it.
void ShowColour(QPushButton* b, const std::string& hex) {
    QPixmap swatch(28, 14);
    swatch.fill(QColor(Q(hex)));
    b->setIcon(QIcon(swatch));
    b->setIconSize(swatch.size());
    b->setText(Q(hex));
}

} // namespace

void MainView::BuildCustomise() {
    auto* dialog = new QDialog(this);
    customise_ = dialog;
    dialog->setObjectName(Q(form_.frmCustomise.Name));
    dialog->setModal(false);
    auto* outer = new QVBoxLayout(dialog);
    auto* rows = new QWidget;
    outer->addWidget(rows);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button(form_.cmdRestoreDefaults));
    buttons->addStretch();
    buttons->addWidget(Button(form_.cmdCustomiseClose));
    outer->addLayout(buttons);
    // Closed by its title bar or Esc, as by its button.
    connect(dialog, &QDialog::finished, this, [this] { form_.frmCustomise.SetVisible(false); });
    form_.PropertyControlsChanged.Connect([this, alive = alive_] {
        if (*alive) ScheduleSync();
    });

    // The rows are made anew for each module; their own syncs go with them.
    auto made = std::make_shared<uint64_t>(~0ULL);
    auto rowSyncs = std::make_shared<std::vector<std::function<void()>>>();
    syncs_.push_back([this, dialog, outer, rows, made, rowSyncs]() mutable {
        if (*made != form_.PropertyControlsRevision) {
            *made = form_.PropertyControlsRevision;
            rowSyncs->clear();
            auto* fresh = new QWidget;
            outer->replaceWidget(rows, fresh);
            delete rows;
            rows = fresh;
            auto* form = new QFormLayout(fresh);
            for (size_t i = 0; i < form_.PropertyControls.size(); ++i) {
                const Property& p = form_.PropertyControls[i].property;
                toolkit::Control* c = form_.PropertyControls[i].control.get();
                c->Changed.Connect([this, alive = alive_] {
                    if (*alive) ScheduleSync();
                });
                if (p.type == Property::Label) { // a heading over the rows after it
                    auto* heading = new QLabel(Q(p.label));
                    heading->setObjectName(Q(p.name));
                    heading->setTextFormat(Qt::PlainText);
                    heading->setWordWrap(true);
                    QFont bold = heading->font();
                    bold.setBold(true);
                    heading->setFont(bold);
                    form->addRow(heading);
                    continue;
                }
                QWidget* w = nullptr;
                if (p.type == Property::Color) {
                    auto* t = static_cast<toolkit::TextBox*>(c);
                    auto* b = new QPushButton;
                    connect(b, &QPushButton::clicked, dialog, [dialog, t, p] {
                        QColor picked = QColorDialog::getColor(QColor(Q(t->Text())), dialog,
                                                               Q(p.label));
                        if (picked.isValid()) t->UserSetText(picked.name().toStdString());
                    });
                    rowSyncs->push_back([b, t] { ShowColour(b, t->Text()); });
                    w = b;
                } else if (p.type == Property::Slider) {
                    auto* s = static_cast<toolkit::Slider*>(c);
                    auto* box = new QWidget;
                    auto* h = new QHBoxLayout(box);
                    h->setContentsMargins(0, 0, 0, 0);
                    auto* slider = new QSlider(Qt::Horizontal);
                    slider->setRange(s->Min(), s->Max());
                    slider->setMinimumWidth(160);
                    auto* value = new QLabel;
                    value->setMinimumWidth(value->fontMetrics().horizontalAdvance("00000"));
                    h->addWidget(slider, 1);
                    h->addWidget(value);
                    connect(slider, &QSlider::valueChanged, dialog, [s](int v) { s->UserSetValue(v); });
                    rowSyncs->push_back([slider, value, s, p] {
                        QSignalBlocker block(slider);
                        slider->setValue(s->Value());
                        value->setText(Q(package::SliderValue(p, s->Value())));
                    });
                    slider->setObjectName(Q(p.name));
                    w = box;
                } else if (p.type == Property::Checkbox) {
                    w = Check(*static_cast<toolkit::CheckBox*>(c), *rowSyncs);
                    static_cast<QCheckBox*>(w)->setText({}); // the row says what it is
                } else if (p.type == Property::Choice) {
                    auto* l = static_cast<toolkit::ListBox*>(c);
                    auto* combo = new QComboBox;
                    for (const auto& choice : p.choices)
                        combo->addItem(Q(choice));
                    connect(combo, &QComboBox::activated, dialog, [l](int i) { l->UserSelect(i); });
                    rowSyncs->push_back([combo, l] {
                        QSignalBlocker block(combo);
                        combo->setCurrentIndex(l->ListIndex());
                    });
                    w = combo;
                } else {
                    auto* line =
                        static_cast<QLineEdit*>(Line(*static_cast<toolkit::TextBox*>(c), *rowSyncs));
                    line->setClearButtonEnabled(false);
                    line->setMaxLength(p.maxLength);
                    w = line;
                }
                if (p.type != Property::Slider) w->setObjectName(Q(p.name));
                w->setToolTip(Q(c->ToolTipText()));
                form->addRow(Q(p.label), w);
            }
            dialog->adjustSize();
        }
        for (auto& s : *rowSyncs)
            s();
        dialog->setWindowTitle(Q(form_.frmCustomise.Caption()));
        if (dialog->isVisible() != form_.frmCustomise.Visible())
            dialog->setVisible(form_.frmCustomise.Visible());
    });
}
