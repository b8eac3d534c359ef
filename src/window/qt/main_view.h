// The Qt view of frmZKRMain: it draws the window's controls and hands the
// user's actions to them; every decision stays with the window's logic.
#pragma once

#include "platform/prefix.h"
#include "window/frmZKRMain.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QTabWidget;
class QTreeWidget;

class MainView : public QWidget {
    Q_OBJECT

  public:
    explicit MainView(frmZKRMain& form, QWidget* parent = nullptr);
    ~MainView() override;

    frmZKRMain& form() { return form_; }
    QTabWidget* tabs() const { return tabs_; }
    QTreeWidget* tree() const { return tree_; }
    QLineEdit* filter() const { return filter_; }
    QWidget* customise() const { return customise_; }
    // Brings every widget in line with its control at once.
    void SyncNow();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    void BuildModulesTab(QWidget* page);
    void BuildToyzTab(QWidget* page);
    void BuildOptionsTab(QWidget* page);
    void BuildAboutTab(QWidget* page);
    // The Customise window: made with the view, filled for each module.
    void BuildCustomise();
    void ScheduleSync();
    // A picture's size, smaller on a small screen.
    QSize Scaled(QSize s) const { return compact_ ? s * 0.6 : s; }
    // The enabled button of the page shown whose access key an Alt key
    // event presses, or null.
    QAbstractButton* PageButtonFor(QEvent* keyEvent) const;
    void OnInstanceRequest(bool toFront);

    // The binders: each returns the widget made for the control and registers
    // how to bring it in line with the control.
    QWidget* Button(toolkit::CommandButton& c);
    QWidget* ArrowButton(toolkit::CommandButton& c, bool up);
    QWidget* Check(toolkit::CheckBox& c) { return Check(c, syncs_); }
    // The same, brought in line by the syncs given (the controls of a part
    // made anew, whose syncs go with them).
    QWidget* Check(toolkit::CheckBox& c, std::vector<std::function<void()>>& syncs);
    QWidget* List(toolkit::ListBox& c);
    QWidget* Combo(toolkit::ListBox& c); // a list that drops down
    QWidget* Picture(toolkit::PictureBox& c, QSize size);
    QWidget* Web(toolkit::WebBrowser& c);
    QWidget* Text(toolkit::Label& c);
    QWidget* Line(toolkit::TextBox& c) { return Line(c, syncs_); }
    QWidget* Line(toolkit::TextBox& c, std::vector<std::function<void()>>& syncs);

    frmZKRMain& form_;
    QTabWidget* tabs_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QWidget* customise_ = nullptr;
    std::vector<std::function<void()>> syncs_;
    bool syncPending_ = false;
    bool treeMousePressed_ = false;
    bool compact_ = false;
    bool painted_ = false;
    platform::FileStamp shellStamp_; // the shell's record, as last shown
    std::string hostNote_;            // what the desktop last said of itself
    platform::FileStamp seenStamp_, choicesStamp_; // the displays, and their own modules
    platform::FileStamp propertiesStamp_; // the modules' properties, as last shown
    int overrideCursors_ = 0;
    // The controls outlive the view: their observers check this first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
