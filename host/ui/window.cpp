#include "host/ui/window.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <typeinfo>
#include <unordered_set>

#include "host/base/msgsink.h"
#include "host/base/strings.h"
#include "host/ui/backend.h"

std::string TModule::LoadString(int id) const {
    return host::LoadText(id);
}

namespace {

struct Posted {
    TWindow* window;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

// Windows that exist, so that a message posted to a window deleted since is dropped.
std::unordered_set<const TWindow*>& Live() {
    static std::unordered_set<const TWindow*> live;
    return live;
}

std::deque<Posted>& Queue() {
    static std::deque<Posted> queue;
    return queue;
}

}  // namespace

namespace host::ui {

int DeliverPostedMessages() {
    int delivered = 0;
    // A handler may post again; a bound keeps a message that re-posts itself from
    // spinning forever.
    for (int guard = 0; !Queue().empty() && guard < 10000; ++guard) {
        Posted p = Queue().front();
        Queue().pop_front();
        if (!Live().count(p.window)) continue;
        p.window->SendMessage(p.msg, p.wp, p.lp);
        ++delivered;
    }
    return delivered;
}

size_t PostedMessageCount() {
    return Queue().size();
}

}  // namespace host::ui

TWindow::TWindow(TWindow* parent, const std::string& title, TModule* module)
    : parent_(nullptr), module_(module), caption_(title) {
    Live().insert(this);
    if (parent) SetParent(parent);
}

TWindow::~TWindow() {
    if (created_) host::ui::GetBackend().WindowDestroyed(*this);
    // Children delete themselves from the list as they go.
    while (!children_.empty())
        delete children_.back();
    if (parent_) parent_->RemoveChild(this);
    Live().erase(this);
    auto& q = Queue();
    q.erase(
        std::remove_if(q.begin(), q.end(), [this](const Posted& p) { return p.window == this; }),
        q.end());
}

std::string TWindow::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string out = status == 0 && name ? name : mangled;
    std::free(name);
    return out;
}

void TWindow::SetParent(TWindow* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_) parent_->AddChild(this);
}

void TWindow::AddChild(TWindow* child) {
    children_.push_back(child);
}

void TWindow::RemoveChild(TWindow* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void TWindow::ReorderChildren(const std::vector<TWindow*>& first) {
    std::vector<TWindow*> order;
    for (TWindow* w : first)
        if (std::find(children_.begin(), children_.end(), w) != children_.end() &&
            std::find(order.begin(), order.end(), w) == order.end())
            order.push_back(w);
    for (TWindow* w : children_)
        if (std::find(order.begin(), order.end(), w) == order.end()) order.push_back(w);
    children_ = std::move(order);
}

TWindow* TWindow::ChildWithId(int id) const {
    for (TWindow* c : children_)
        if (c->GetId() == id) return c;
    return nullptr;
}

void TWindow::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed(host::ui::Change::Text);
}

bool TWindow::Create() {
    if (created_) return true;
    created_ = true;
    // Children may be added while others are created: walk by index.
    for (size_t i = 0; i < children_.size(); ++i)
        if (!children_[i]->Create()) return false;
    SetupWindow();
    if (IsTopLevel()) host::ui::GetBackend().WindowCreated(*this);
    return true;
}

void TWindow::Destroy(int) {
    if (!created_) return;
    CleanupWindow();
    host::ui::GetBackend().WindowDestroyed(*this);
    for (TWindow* c : children_)
        c->Destroy();
    created_ = false;
    view_ = nullptr;
}

void TWindow::CloseWindow(int ret_value) {
    if (CanClose()) Destroy(ret_value);
}

void TWindow::EnableWindow(bool enable) {
    if (enable == enabled_) return;
    enabled_ = enable;
    Changed(host::ui::Change::State);
}

void TWindow::SetFocus() {
    Changed(host::ui::Change::Focus);
}

void TWindow::ShowWindow(int cmd) {
    const bool visible = cmd != SW_HIDE;
    if (visible == visible_) return;
    visible_ = visible;
    Changed(host::ui::Change::State);
}

LRESULT TWindow::SendMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return WindowProc(msg, wp, lp);
}

void TWindow::PostMessage(UINT msg, WPARAM wp, LPARAM lp) {
    Queue().push_back({this, msg, wp, lp});
    host::ui::GetBackend().MessagesPosted();
}

LRESULT TWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (auto it = messages_.find(msg); it != messages_.end()) return it->second(wp, lp);
    if (msg == WM_COMMAND) return EvCommand(LOWORD(wp), reinterpret_cast<TWindow*>(lp), HIWORD(wp));
    if (msg == WM_NOTIFY && lp) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        return EvNotify(hdr->idFrom, *hdr);
    }
    return DefWindowProc(msg, wp, lp);
}

LRESULT TWindow::EvCommand(UINT id, TWindow*, UINT notify_code) {
    auto it = commands_.find({id, notify_code});
    if (it == commands_.end()) return 0;
    // The handler may delete windows, this one included: keep the function alive.
    CommandHandler handler = it->second;
    handler();
    return 1;
}

LRESULT TWindow::EvNotify(UINT, NMHDR&) {
    return 0;
}

LRESULT TWindow::DefWindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}

bool TWindow::PreProcessMsg(MSG&) {
    return false;
}

LRESULT TWindow::SendCommand(UINT id, TWindow* sender, UINT notify_code) {
    return SendMessage(WM_COMMAND, MAKEWPARAM(id, notify_code), reinterpret_cast<LPARAM>(sender));
}

bool TWindow::HandlesCommand(UINT id) const {
    return commands_.count({id, BN_CLICKED}) != 0;
}

int TWindow::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return host::ShowMessage(this, text, caption, flags);
}

void TWindow::OnCommand(UINT id, CommandHandler handler) {
    commands_[{id, BN_CLICKED}] = std::move(handler);
}

void TWindow::OnCommandNotify(UINT id, UINT notify_code, CommandHandler handler) {
    commands_[{id, notify_code}] = std::move(handler);
}

void TWindow::OnMessage(UINT msg, MessageHandler handler) {
    messages_[msg] = std::move(handler);
}

void TWindow::Changed(host::ui::Change what) {
    if (view_) view_->ModelChanged(*this, what);
}

// --- Menus ---

int TMenuDescr::CheckMenuItem(UINT id, UINT flags) {
    for (Item& item : items_) {
        if (item.id != id) continue;
        const int previous = item.checked ? static_cast<int>(MF_CHECKED) : 0;
        item.checked = (flags & MF_CHECKED) != 0;
        return previous;
    }
    return -1;
}

bool TMenuDescr::IsChecked(UINT id) const {
    for (const Item& item : items_)
        if (item.id == id) return item.checked;
    return false;
}

// --- Frames ---

TFrameWindow::TFrameWindow(TWindow* parent, const std::string& title, TWindow* client,
                           bool shrink_to_client, TModule* module)
    : TWindow(parent, title, module), shrink_to_client_(shrink_to_client) {
    if (client) SetClientWindow(client);
}

void TFrameWindow::SetClientWindow(TWindow* client) {
    client_ = client;
    if (client_) client_->SetParent(this);
}

void TFrameWindow::SetMenuDescr(const TMenuDescr& menu) {
    menu_ = std::make_unique<TMenuDescr>(menu);
    Changed(host::ui::Change::Menu);
}

void TFrameWindow::InitMenuPopup() {
    SendMessage(WM_INITMENUPOPUP, 0, 0);
    Changed(host::ui::Change::Menu);
}

// --- MDI ---

TMDIClient::TMDIClient(TModule* module) : TWindow(nullptr, "", module) {}

std::vector<TMDIChild*> TMDIClient::MDIChildren() const {
    std::vector<TMDIChild*> out;
    for (TWindow* w : GetChildren())
        if (auto* c = dynamic_cast<TMDIChild*>(w)) out.push_back(c);
    return out;
}

void TMDIClient::SetActiveMDIChild(TMDIChild* child) {
    active_ = child;
}

TMDIChild::TMDIChild(TMDIClient& parent, const std::string& title, TWindow* client,
                     bool shrink_to_client, TModule* module)
    : TFrameWindow(&parent, title, client, shrink_to_client, module) {
    OnMessage(WM_SYSCOMMAND, [this](WPARAM wp, LPARAM) -> LRESULT {
        switch (wp & 0xFFF0) {
            case SC_MAXIMIZE:
                SetShowState(SW_SHOWMAXIMIZED);
                return 0;
            case SC_MINIMIZE:
                SetShowState(SW_SHOWMINIMIZED);
                return 0;
            case SC_RESTORE:
                SetShowState(SW_SHOWNORMAL);
                return 0;
            default:
                return DefWindowProc(WM_SYSCOMMAND, wp, 0);
        }
    });
}

TMDIChild::~TMDIChild() {
    if (TMDIClient* client = GetMDIClient(); client && client->active_ == this) {
        client->active_ = nullptr;
        // The most recent other child becomes the active one.
        for (TMDIChild* other : client->MDIChildren())
            if (other != this) client->active_ = other;
    }
}

bool TMDIChild::Create() {
    if (!TFrameWindow::Create()) return false;
    Activate();
    return true;
}

TMDIClient* TMDIChild::GetMDIClient() const {
    return dynamic_cast<TMDIClient*>(GetParent());
}

void TMDIChild::SetShowState(int state) {
    if (state == show_state_) return;
    show_state_ = state;
    Changed(host::ui::Change::ShowState);
}

void TMDIChild::Activate() {
    if (TMDIClient* client = GetMDIClient()) client->SetActiveMDIChild(this);
    if (show_state_ == SW_SHOWMINIMIZED) SetShowState(SW_SHOWNORMAL);
    host::ui::GetBackend().ActivateWindow(*this);
}

void TMDIChild::CloseWindow(int ret_value) {
    if (!CanClose()) return;
    Destroy(ret_value);
    delete this;
}

TMDIFrame::TMDIFrame(const std::string& title, TModule* module)
    : TFrameWindow(nullptr, title, nullptr, false, module), client_(new TMDIClient(module)) {
    SetClientWindow(client_);
}
