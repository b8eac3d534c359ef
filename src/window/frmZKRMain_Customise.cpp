// The Customise window: the chosen module's properties as controls. What the
// user sets is stored in the prefix at once, and the desktop's page follows.
#include "catalogue/zkr_basModules.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "window/frmZKRMain.h"

#include <algorithm>

using package::Property;

void frmZKRMain::cmdCustomise_Click() {
    try {
        frmCustomise.SetVisible(true);
        zkr_ShowCustomise();
    } catch (const Failure& f) {
        ReportFailure(f, "cmdCustomise_Click");
    }
}

void frmZKRMain::zkr_ShowCustomise() {
    if (!frmCustomise.Visible()) return;
    module_properties::Module m;
    std::string name;
    if (TreeView.SelectedItem() && ItemOfNode(TreeView.SelectedItem()->Index()) >= 1) {
        const ModuleRecord& entry = SelectedEntry();
        if (entry.TreeType == 200) {
            m = module_properties::ReadOfPage(entry.URL);
            name = entry.TreeText;
        }
    }
    if (m.declared.empty()) {
        frmCustomise.SetVisible(false);
        Customising = {};
        PropertyControls.clear();
        ++PropertyControlsRevision;
        PropertyControlsChanged.Emit();
        return;
    }
    bool same = m.key == Customising.key && m.declared.size() == Customising.declared.size();
    for (size_t i = 0; same && i < m.declared.size(); ++i)
        same = m.declared[i].name == Customising.declared[i].name &&
               m.declared[i].type == Customising.declared[i].type;
    Customising = std::move(m);
    if (!same) {
        PropertyControls.clear();
        for (size_t i = 0; i < Customising.declared.size(); ++i) {
            const Property& p = Customising.declared[i];
            auto changed = [this, i] { zkr_SetProperty(i); };
            std::unique_ptr<toolkit::Control> c;
            if (p.type == Property::Slider) {
                auto s = std::make_unique<toolkit::Slider>(p.name, 0, package::SliderSteps(p), p.label);
                s->Change = changed;
                c = std::move(s);
            } else if (p.type == Property::Checkbox) {
                auto b = std::make_unique<toolkit::CheckBox>(p.name, p.label, p.label);
                b->Click = changed;
                c = std::move(b);
            } else if (p.type == Property::Label) {
                c = std::make_unique<toolkit::Label>(p.name, p.label);
            } else if (p.type == Property::Choice) {
                auto l = std::make_unique<toolkit::ListBox>(p.name, p.label, p.label);
                for (const auto& choice : p.choices)
                    l->AddItem(choice);
                l->Click = changed;
                c = std::move(l);
            } else {
                auto t = std::make_unique<toolkit::TextBox>(p.name, p.label, p.label);
                t->Change = changed;
                c = std::move(t);
            }
            PropertyControls.push_back({p, std::move(c)});
        }
        ++PropertyControlsRevision;
        PropertyControlsChanged.Emit();
    }
    frmCustomise.SetCaption("Customise " + name);
    zkr_ShowPropertyValues();
}

void frmZKRMain::zkr_ShowPropertyValues() {
    // Shown as stored: the controls' own events do not store them again.
    showingProperties_ = true;
    for (size_t i = 0; i < PropertyControls.size(); ++i) {
        const Property& p = PropertyControls[i].property;
        const std::string& value = Customising.values[i];
        toolkit::Control* c = PropertyControls[i].control.get();
        if (p.type == Property::Slider)
            static_cast<toolkit::Slider*>(c)->SetValue(package::SliderStep(p, value));
        else if (p.type == Property::Checkbox)
            static_cast<toolkit::CheckBox*>(c)->SetValue(value == "true" ? 1 : 0);
        else if (p.type == Property::Choice)
            static_cast<toolkit::ListBox*>(c)->SetListIndex(static_cast<int>(
                std::find(p.choices.begin(), p.choices.end(), value) - p.choices.begin()));
        else if (p.type != Property::Label)
            static_cast<toolkit::TextBox*>(c)->SetText(value);
    }
    showingProperties_ = false;
}

void frmZKRMain::zkr_SetProperty(size_t i) {
    if (showingProperties_ || i >= PropertyControls.size()) return;
    const Property& p = PropertyControls[i].property;
    if (p.type == Property::Label) return;
    toolkit::Control* c = PropertyControls[i].control.get();
    std::string value;
    if (p.type == Property::Slider) {
        value = package::SliderValue(p, static_cast<toolkit::Slider*>(c)->Value());
    } else if (p.type == Property::Checkbox) {
        value = static_cast<toolkit::CheckBox*>(c)->Value() == 1 ? "true" : "false";
    } else if (p.type == Property::Choice) {
        int at = static_cast<toolkit::ListBox*>(c)->ListIndex();
        if (at < 0 || at >= static_cast<int>(p.choices.size())) return;
        value = p.choices[static_cast<size_t>(at)];
    } else {
        value = static_cast<toolkit::TextBox*>(c)->Text();
    }
    // A text being typed stays as typed until it is one the module takes.
    std::string why;
    if (!package::CheckValue(p, value, why)) {
        zkr_SetStatus(p.label + ": " + why + ".");
        return;
    }
    if (std::string failed = module_properties::Set(Customising, {{p.name, value}}); !failed.empty()) {
        zkr_SetStatus(failed + ".");
        return;
    }
    zkr_SetStatus(p.label + ": " + Customising.values[i] + ".");
}

void frmZKRMain::cmdRestoreDefaults_Click() {
    try {
        if (!module_properties::Forget(Customising.key)) {
            MsgBox("The settings could not be written to " + module_properties::StoreFile() + ".",
                   vbExclamation, App::Title());
            return;
        }
        Customising = module_properties::Read(Customising.folder);
        zkr_ShowPropertyValues();
        zkr_SetStatus("The module's settings are back to their defaults.");
    } catch (const Failure& f) {
        ReportFailure(f, "cmdRestoreDefaults_Click");
    }
}
