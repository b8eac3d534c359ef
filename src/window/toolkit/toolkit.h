// The headless window toolkit: controls that keep the behaviour the window's
// logic relies on, with no drawing of their own. A view binds to them: it
// observes each control's Changed signal and forwards the user's actions
// through the User* members, which raise the events as the toolkit would.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace toolkit {

// A list of observers called in order.
class Signal {
  public:
    using Slot = std::function<void()>;
    void Connect(Slot s) { slots_.push_back(std::move(s)); }
    void Emit() const {
        for (const auto& s : slots_)
            s();
    }

  private:
    std::vector<Slot> slots_;
};

// Runs an event handler the user's action raised. A failure, or any other
// exception, that reaches it is shown as the standard failure report with the
// handler's name; the program keeps running.
void RaiseUserEvent(const std::string& handlerName, const std::function<void()>& handler);

class Control {
  public:
    explicit Control(std::string name, std::string caption = {}, std::string toolTip = {})
        : Name(std::move(name)), caption_(std::move(caption)), toolTip_(std::move(toolTip)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string Name;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c);
    const std::string& ToolTipText() const { return toolTip_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);

    Signal Changed; // any property the view shows has changed
    // Counts the changes, so that a view redraws only what changed.
    uint64_t Revision() const { return revision_; }

  protected:
    void Notify() {
        ++revision_;
        Changed.Emit();
    }

  private:
    std::string caption_;
    std::string toolTip_;
    bool enabled_ = true;
    uint64_t revision_ = 0;
};

using Label = Control;
using Frame = Control;

class CommandButton : public Control {
  public:
    using Control::Control;
    std::function<void()> Click;
    // The user pressed the button: nothing happens while it is disabled.
    void UserClick();
};

class CheckBox : public Control {
  public:
    using Control::Control;
    int Value() const { return value_; }
    // Setting the value from code raises Click when it changes.
    void SetValue(int v);
    std::function<void()> Click;
    // The user toggled the box.
    void UserToggle();

  private:
    int value_ = 0;
};

// A line of text the user types.
class TextBox : public Control {
  public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    // Setting the text from code raises Change when it differs.
    void SetText(std::string t);
    std::function<void()> Change;
    // The user typed, or cleared, the text.
    void UserSetText(std::string t);

  private:
    std::string text_;
};

class ListBox : public Control {
  public:
    using Control::Control;
    void AddItem(std::string text);
    void RemoveItem(int index); // raises "Invalid procedure call" for a bad index
    void Clear();
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const;
    int ListIndex() const { return index_; }
    // Setting the selected index from code raises Click.
    void SetListIndex(int index);
    void Refresh();
    int Refreshes() const { return refreshes_; }
    // Counts changes of the entries themselves (not of the selection).
    uint64_t ItemsRevision() const { return itemsRevision_; }
    std::function<void()> Click;
    // The user selected an entry (by mouse or keyboard).
    void UserSelect(int index);

  private:
    std::vector<std::string> items_;
    int index_ = -1;
    int refreshes_ = 0;
    uint64_t itemsRevision_ = 0;
};

// A picture loaded from a file, through the decoder port.
struct Picture {
    std::string path;   // as given
    std::string native; // the file read
    std::string format; // "bmp", "png", ...
    int width = 0;
    int height = 0;
    bool empty() const { return native.empty(); }
};

// Reads a picture file; raises "File not found" (53) for a missing file and
// "Invalid picture" (481) for a file that is no picture.
using PictureDecoder = std::function<Picture(const std::string& path)>;
PictureDecoder SetPictureDecoder(PictureDecoder decoder);
Picture LoadPicture(const std::string& path);

class PictureBox : public Control {
  public:
    using Control::Control;
    const Picture& GetPicture() const { return picture_; }
    // Loads a picture file; a file that is no picture is a failure of the
    // caller. An empty name clears the box, as loading "" gives no picture.
    void SetPicture(const std::string& path);
    void ClearPicture();

  private:
    Picture picture_;
};

class WebBrowser : public Control {
  public:
    using Control::Control;
    // Starts loading and returns at once.
    void Navigate(const std::string& address);
    const std::string& LocationURL() const { return location_; }
    const std::vector<std::string>& History() const { return history_; }
    // Raised when the page at LocationURL could not be loaded.
    std::function<void()> NavigateError;
    // The view could not load the address (ignored when the pane has moved on
    // to another one since).
    void UserNavigateError(const std::string& address);

  private:
    std::string location_;
    std::vector<std::string> history_;
};

class Slider : public Control {
  public:
    Slider(std::string name, int min, int max, std::string toolTip);
    int Value() const { return value_; }
    void SetValue(int v); // kept within Min..Max
    int Min() const { return min_; }
    int Max() const { return max_; }
    // The user dragged the slider: Change is raised when the value moved.
    void UserSetValue(int v);
    std::function<void()> Change;

  private:
    int min_, max_, value_;
};

class TabControl : public Control {
  public:
    TabControl(std::string name, std::vector<std::string> captions);
    int Tab() const { return tab_; }
    void SetTab(int t);
    const std::vector<std::string>& TabCaptions() const { return captions_; }
    void UserSelectTab(int t) { SetTab(t); }

  private:
    std::vector<std::string> captions_;
    int tab_ = 0;
};

// Images of a tree by index from 1 (the view draws them).
class ImageList : public Control {
  public:
    ImageList(std::string name, std::vector<std::string> images)
        : Control(std::move(name)), Images(std::move(images)) {}
    const std::vector<std::string> Images;
};

inline constexpr int tvwFirst = 0;
inline constexpr int tvwLast = 1;
inline constexpr int tvwNext = 2;
inline constexpr int tvwPrevious = 3;
inline constexpr int tvwChild = 4;

class TreeView;

class Node {
  public:
    int Index() const { return index_; }
    const std::string& Key() const { return key_; }
    const std::string& Text() const { return text_; }
    int Parent() const { return parent_; } // 0 for a root node
    const std::vector<int>& Children() const { return children_; }
    int Image = 0;
    int ExpandedImage = 0;
    int SelectedImage = 0;
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool e);
    bool Selected() const;
    void SetSelected(bool s);
    // Drawn in bold.
    bool Bold() const { return bold_; }
    void SetBold(bool b);
    // A few words the view shows after the text ("" for none).
    const std::string& Note() const { return note_; }
    void SetNote(std::string n);

  private:
    friend class TreeView;
    TreeView* tree_ = nullptr;
    int index_ = 0;
    int parent_ = 0;
    std::string key_, text_;
    std::vector<int> children_;
    bool expanded_ = false;
    bool bold_ = false;
    std::string note_;
};

class TreeView : public Control {
  public:
    using Control::Control;
    // The Nodes collection.
    void Clear();
    // Adds a node; relative "" adds a root. A duplicate key or a missing relative is a failure.
    Node& Add(const std::string& relative, int relationship, const std::string& key,
              const std::string& text);
    Node& Nodes(int index); // from 1, in order of insertion
    int Count() const { return static_cast<int>(nodes_.size()); }
    // The selected node, or null.
    Node* SelectedItem();
    const ImageList* GetImageList() const { return imageList_; }
    void SetImageList(const ImageList* l);
    int Style() const { return style_; }
    void SetStyle(int s);

    std::function<void()> Click;
    std::function<void()> DblClick;
    // The user clicked a node: it is selected, then Click is raised.
    void UserClick(int index);
    // A double-click raises Click first, then DblClick; a view whose toolkit
    // already delivered the click of the pair says so.
    void UserDblClick(int index, bool clickDelivered = false);
    // Counts changes of the nodes themselves (not of the selection).
    uint64_t StructureRevision() const { return structure_; }
    // A selection moved with the keyboard acts as a click: Click is raised
    // when the selected node changes.
    void UserKeyboardSelect(int index);

  private:
    friend class Node;
    void Select(int index);
    std::deque<Node> nodes_; // nodes never move, so keys can be viewed in place
    std::unordered_map<std::string_view, int> byKey_;
    int selected_ = 0;
    uint64_t structure_ = 0;
    const ImageList* imageList_ = nullptr;
    int style_ = 0;
};

inline constexpr int vbNormal = 0;
inline constexpr int vbMinimized = 1;
inline constexpr int vbMaximized = 2;
inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;

// The window: its state, mouse pointer, and the requests other instances sent.
class Window : public Control {
  public:
    using Control::Control;
    int WindowState() const { return state_; }
    void SetWindowState(int s);
    int MousePointer() const { return pointer_; }
    void SetMousePointer(int p);
    // Every mouse pointer set, in order (the view shows them as they come).
    const std::vector<int>& PointerHistory() const { return pointerHistory_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v);

  private:
    int state_ = vbNormal;
    int pointer_ = vbDefault;
    std::vector<int> pointerHistory_;
    bool visible_ = false;
};

} // namespace toolkit
