#include "window/toolkit/toolkit.h"

#include "platform/prefix.h"
#include "runtime/failure.h"
#include "runtime/report.h"

#include <algorithm>

namespace toolkit {

void RaiseUserEvent(const std::string& handlerName, const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        // Whatever reaches the event boundary is reported; the program goes on.
        ReportFailure(ForeignFailure(e), handlerName);
    }
}

void Control::SetCaption(std::string c) {
    if (c == caption_) return;
    caption_ = std::move(c);
    Notify();
}

void Control::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    Notify();
}

void CommandButton::UserClick() {
    if (Enabled()) RaiseUserEvent(Name + "_Click", Click);
}

void CheckBox::SetValue(int v) {
    if (v == value_) return;
    value_ = v;
    Notify();
    if (Click) Click();
}

void CheckBox::UserToggle() {
    if (!Enabled()) return;
    RaiseUserEvent(Name + "_Click", [this] { SetValue(value_ == 0 ? 1 : 0); });
}

void TextBox::SetText(std::string t) {
    if (t == text_) return;
    text_ = std::move(t);
    Notify();
    if (Change) Change();
}

void TextBox::UserSetText(std::string t) {
    if (!Enabled()) return;
    RaiseUserEvent(Name + "_Change", [this, &t] { SetText(std::move(t)); });
}

void ListBox::AddItem(std::string text) {
    items_.push_back(std::move(text));
    ++itemsRevision_;
    Notify();
}

void ListBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) Raise(Err::InvalidProcedureCall);
    items_.erase(items_.begin() + index);
    ++itemsRevision_;
    if (index_ == index)
        index_ = -1;
    else if (index_ > index)
        --index_;
    Notify();
}

void ListBox::Clear() {
    items_.clear();
    ++itemsRevision_;
    index_ = -1;
    Notify();
}

const std::string& ListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) Raise(Err::InvalidProcedureCall);
    return items_[static_cast<size_t>(index)];
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) Raise(Err::InvalidProcedureCall);
    index_ = index;
    Notify();
    if (Click) Click();
}

void ListBox::Refresh() {
    ++refreshes_;
    Notify();
}

void ListBox::UserSelect(int index) {
    if (!Enabled() || index < 0 || index >= ListCount()) return;
    RaiseUserEvent(Name + "_Click", [this, index] { SetListIndex(index); });
}

namespace {

uint32_t Le32(const std::string& b, size_t at) {
    if (b.size() < at + 4) return 0;
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint32_t Be32(const std::string& b, size_t at) {
    if (b.size() < at + 4) return 0;
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

// Recognises the picture formats by their signature.
Picture DefaultDecoder(const std::string& path) {
    Picture p;
    p.path = path;
    p.native = platform::MapPath(path);
    if (platform::ProbeFile(p.native) != platform::FileKind::PlainFile) Raise(Err::FileNotFound);
    std::string bytes;
    if (!platform::ReadWholeFile(p.native, bytes)) Raise(Err::PathFileAccess);
    auto starts = [&bytes](std::string_view sig) { return bytes.compare(0, sig.size(), sig) == 0; };
    if (starts("BM") && bytes.size() >= 26) {
        p.format = "bmp";
        p.width = static_cast<int>(Le32(bytes, 18));
        p.height = std::abs(static_cast<int>(Le32(bytes, 22)));
    } else if (starts("\x89PNG\r\n\x1a\n")) {
        p.format = "png";
        p.width = static_cast<int>(Be32(bytes, 16));
        p.height = static_cast<int>(Be32(bytes, 20));
    } else if (starts("GIF87a") || starts("GIF89a")) {
        p.format = "gif";
        p.width = static_cast<int>(Le32(bytes, 6) & 0xFFFF);
        p.height = static_cast<int>(Le32(bytes, 8) & 0xFFFF);
    } else if (starts("\xFF\xD8\xFF")) {
        p.format = "jpeg";
    } else if (bytes.size() >= 6 && starts(std::string_view("\0\0\1\0", 4))) {
        p.format = "ico";
    } else {
        Raise(Err::InvalidPicture);
    }
    return p;
}

PictureDecoder& Decoder() {
    static PictureDecoder d = DefaultDecoder;
    return d;
}

} // namespace

PictureDecoder SetPictureDecoder(PictureDecoder decoder) {
    PictureDecoder previous = Decoder();
    Decoder() = decoder ? std::move(decoder) : PictureDecoder(DefaultDecoder);
    return previous;
}

Picture LoadPicture(const std::string& path) {
    if (path.empty()) return Picture{};
    return Decoder()(path);
}

void PictureBox::SetPicture(const std::string& path) {
    picture_ = LoadPicture(path);
    Notify();
}

void PictureBox::ClearPicture() {
    picture_ = Picture{};
    Notify();
}

void WebBrowser::Navigate(const std::string& address) {
    location_ = address;
    history_.push_back(address);
    Notify();
}

void WebBrowser::UserNavigateError(const std::string& address) {
    if (address == location_) RaiseUserEvent(Name + "_NavigateError", NavigateError);
}

Slider::Slider(std::string name, int min, int max, std::string toolTip)
    : Control(std::move(name), {}, std::move(toolTip)), min_(min), max_(max), value_(min) {}

void Slider::SetValue(int v) {
    v = std::clamp(v, min_, max_);
    if (v == value_) return;
    value_ = v;
    Notify();
}

void Slider::UserSetValue(int v) {
    if (!Enabled() || std::clamp(v, min_, max_) == value_) return;
    RaiseUserEvent(Name + "_Change", [this, v] {
        SetValue(v);
        if (Change) Change();
    });
}

TabControl::TabControl(std::string name, std::vector<std::string> captions)
    : Control(std::move(name)), captions_(std::move(captions)) {}

void TabControl::SetTab(int t) {
    if (t < 0 || t >= static_cast<int>(captions_.size())) Raise(Err::InvalidProcedureCall);
    if (t == tab_) return;
    tab_ = t;
    Notify();
}

void Node::SetExpanded(bool e) {
    if (expanded_ == e) return;
    expanded_ = e;
    tree_->Notify();
}

bool Node::Selected() const {
    return tree_->selected_ == index_;
}

void Node::SetBold(bool b) {
    if (bold_ == b) return;
    bold_ = b;
    tree_->Notify();
}

void Node::SetNote(std::string n) {
    if (note_ == n) return;
    note_ = std::move(n);
    tree_->Notify();
}

void Node::SetSelected(bool s) {
    if (s)
        tree_->Select(index_);
    else if (Selected())
        tree_->Select(0);
}

void TreeView::Clear() {
    ++structure_;
    nodes_.clear();
    byKey_.clear();
    selected_ = 0;
    Notify();
}

Node& TreeView::Add(const std::string& relative, int relationship, const std::string& key,
                    const std::string& text) {
    int parent = 0;
    if (!relative.empty()) {
        auto it = byKey_.find(relative);
        if (it == byKey_.end()) Raise(35601, "Element not found");
        parent = it->second;
        if (relationship != tvwChild) parent = nodes_[static_cast<size_t>(parent - 1)].parent_;
    }
    if (!key.empty() && byKey_.count(key)) Raise(35602, "Key is not unique in collection");
    ++structure_;
    Node& node = nodes_.emplace_back();
    node.tree_ = this;
    node.index_ = Count();
    node.parent_ = parent;
    node.key_ = key;
    node.text_ = text;
    if (parent) nodes_[static_cast<size_t>(parent - 1)].children_.push_back(node.index_);
    if (!key.empty()) byKey_.emplace(node.key_, node.index_);
    Notify();
    return node;
}

Node& TreeView::Nodes(int index) {
    if (index < 1 || index > Count()) Raise(35600, "Index out of bounds");
    return nodes_[static_cast<size_t>(index - 1)];
}

Node* TreeView::SelectedItem() {
    return selected_ ? &nodes_[static_cast<size_t>(selected_ - 1)] : nullptr;
}

void TreeView::SetImageList(const ImageList* l) {
    imageList_ = l;
    Notify();
}

void TreeView::SetStyle(int s) {
    style_ = s;
    Notify();
}

void TreeView::Select(int index) {
    if (selected_ == index) return;
    selected_ = index;
    Notify();
}

void TreeView::UserClick(int index) {
    if (!Enabled() || index < 1 || index > Count()) return;
    Select(index);
    RaiseUserEvent(Name + "_Click", Click);
}

void TreeView::UserDblClick(int index, bool clickDelivered) {
    if (!Enabled() || index < 1 || index > Count()) return;
    if (!clickDelivered) UserClick(index);
    RaiseUserEvent(Name + "_DblClick", DblClick);
}

void TreeView::UserKeyboardSelect(int index) {
    if (!Enabled() || index < 1 || index > Count() || index == selected_) return;
    Select(index);
    RaiseUserEvent(Name + "_Click", Click);
}

void Window::SetWindowState(int s) {
    if (s == state_) return;
    state_ = s;
    Notify();
}

void Window::SetMousePointer(int p) {
    pointer_ = p;
    pointerHistory_.push_back(p);
    Notify();
}

void Window::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    Notify();
}

} // namespace toolkit
