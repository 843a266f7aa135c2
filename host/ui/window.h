// Toolkit-neutral windows. A TWindow is a model: identity (id, caption, parent, module),
// state (enabled, visible), children and a response table that dispatches messages and
// commands by id. A back end (host/ui/backend.h) may attach a view to a window and is told
// when the model changes, so that real widgets and the model stay in step; without a view
// the window works the same, which is how tests and unattended runs drive dialogs.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/base/wintypes.h"
#include "host/ui/winmsg.h"

// A module of the host (the owner of resources and windows): here a name.
class TModule {
  public:
    explicit TModule(std::string name = "") : name_(std::move(name)) {}
    virtual ~TModule() = default;
    TModule(const TModule&) = delete;
    TModule& operator=(const TModule&) = delete;
    const std::string& GetName() const { return name_; }
    // String `id` of the module's string table (empty when there is none).
    std::string LoadString(int id) const;

  private:
    std::string name_;
};

namespace host::ui {

// What changed in a window's model, for its view.
enum class Change {
    Text,       // caption or text value
    State,      // enabled or visible
    Check,      // check state of a button
    Items,      // items of a list, combo box or tab control
    Selection,  // selected item or tab
    View,       // display mode of a list
    ShowState,  // normal, minimised or maximised (frames)
    Menu,       // menu items or check marks
    Closed,     // a modal dialog ended
    Focus,      // the window asks for the keyboard focus
};

// The toolkit side of a window.
class WindowView {
  public:
    virtual ~WindowView() = default;
    virtual void ModelChanged(TWindow& window, Change what) = 0;
};

// Delivers the messages posted with TWindow::PostMessage, in order, to the windows that
// still exist. Returns the number delivered.
int DeliverPostedMessages();
// Number of messages waiting.
size_t PostedMessageCount();

}  // namespace host::ui

class TWindow {
  public:
    explicit TWindow(TWindow* parent, const std::string& title = "", TModule* module = nullptr);
    // Deletes the children that are still attached, then leaves the parent.
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    // --- Identity ---
    // The class name, for logs and tests ("QDSReportsMainDialog").
    std::string ClassName() const;
    int GetId() const { return id_; }
    void SetId(int id) { id_ = id; }
    TWindow* GetParent() const { return parent_; }
    // Moves the window under another parent (null: none).
    void SetParent(TWindow* parent);
    TModule* GetModule() const { return module_; }
    void SetModule(TModule* module) { module_ = module; }
    const std::string& GetCaption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // Position and size in dialog units.
    const TRect& GetRect() const { return rect_; }
    void SetRect(const TRect& rect) { rect_ = rect; }

    // --- Children (owned: a parent deletes the children still attached to it) ---
    const std::vector<TWindow*>& GetChildren() const { return children_; }
    TWindow* ChildWithId(int id) const;
    template <class T>
    T* ChildAs(int id) const {
        return dynamic_cast<T*>(ChildWithId(id));
    }

    // --- Life cycle ---
    // Creates the window and its children, then runs SetupWindow. False when it could not.
    virtual bool Create();
    bool IsCreated() const { return created_; }
    // The window as a handle (null before Create and after Destroy).
    TWindow* GetHandle() { return created_ ? this : nullptr; }
    virtual void SetupWindow() {}
    virtual void CleanupWindow() {}
    // Destroys the window and its children (the objects remain).
    virtual void Destroy(int ret_value = 0);
    // Asks the window to close: by default it is destroyed when CanClose agrees.
    virtual void CloseWindow(int ret_value = 0);
    virtual bool CanClose() { return true; }

    // --- State ---
    void EnableWindow(bool enable);
    // Gives the window the keyboard focus (a refused field, so that the user corrects it).
    void SetFocus();
    bool IsWindowEnabled() const { return enabled_; }
    void ShowWindow(int cmd);
    bool IsWindowVisible() const { return visible_; }

    // --- Messages ---
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
    // Queues the message; it is delivered by the back end's loop (DeliverPostedMessages).
    void PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
    // Dispatch of one message: the response table, then WM_COMMAND to EvCommand and
    // WM_NOTIFY to EvNotify, else DefWindowProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual LRESULT EvCommand(UINT id, TWindow* sender, UINT notify_code);
    virtual LRESULT EvNotify(UINT id, NMHDR& info);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // A message about to be dispatched by the message loop; true consumes it.
    virtual bool PreProcessMsg(MSG& msg);
    // Sends WM_COMMAND for id (as a menu or a button would), from sender.
    LRESULT SendCommand(UINT id, TWindow* sender = nullptr, UINT notify_code = 0);
    // True when the response table has an entry for command id.
    bool HandlesCommand(UINT id) const;

    // A message box over this window through the host's message sink.
    virtual int MessageBox(const std::string& text, const std::string& caption = "",
                           unsigned flags = MB_OK);

    // --- View (set by the back end) ---
    host::ui::WindowView* GetView() const { return view_; }
    void SetView(host::ui::WindowView* view) { view_ = view; }

  protected:
    using CommandHandler = std::function<void()>;
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    // Response table entries. An entry registered later replaces an earlier one with the
    // same key, so a derived class's constructor overrides its base's entries.
    void OnCommand(UINT id, CommandHandler handler);
    void OnCommandNotify(UINT id, UINT notify_code, CommandHandler handler);
    void OnMessage(UINT msg, MessageHandler handler);
    // Tells the view that the model changed.
    void Changed(host::ui::Change what);
    // Moves the given children to the front of the child list, in that order.
    void ReorderChildren(const std::vector<TWindow*>& first);
    // Whether Create tells the back end about this window (frames and modeless dialogs).
    virtual bool IsTopLevel() const { return false; }
    bool created_ = false;

  private:
    void AddChild(TWindow* child);
    void RemoveChild(TWindow* child);

    TWindow* parent_;
    TModule* module_;
    std::string caption_;
    int id_ = 0;
    TRect rect_;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<TWindow*> children_;
    std::map<std::pair<UINT, UINT>, CommandHandler> commands_;  // (id, notify code)
    std::map<UINT, MessageHandler> messages_;
    host::ui::WindowView* view_ = nullptr;
};

// A menu: items with a command id, a text and a check mark (the host's TMenuDescr).
class TMenuDescr {
  public:
    struct Item {
        UINT id = 0;
        std::string text;
        bool checked = false;
        bool enabled = true;
    };
    explicit TMenuDescr(int res_id = 0, std::string title = "")
        : res_id_(res_id), title_(std::move(title)) {}
    int GetResId() const { return res_id_; }
    const std::string& GetTitle() const { return title_; }
    void Add(UINT id, const std::string& text) { items_.push_back({id, text, false, true}); }
    const std::vector<Item>& Items() const { return items_; }
    // MF_CHECKED or MF_UNCHECKED by command; returns the previous state, -1 when unknown.
    int CheckMenuItem(UINT id, UINT flags);
    bool IsChecked(UINT id) const;

  private:
    int res_id_;
    std::string title_;
    std::vector<Item> items_;
};

// A window with a client window and an optional menu (the host's TFrameWindow).
class TFrameWindow : public TWindow {
  public:
    TFrameWindow(TWindow* parent, const std::string& title, TWindow* client = nullptr,
                 bool shrink_to_client = false, TModule* module = nullptr);
    TWindow* GetClientWindow() const { return client_; }
    // Makes client the frame's client window (it becomes the frame's child).
    void SetClientWindow(TWindow* client);
    bool ShrinkToClient() const { return shrink_to_client_; }
    TMenuDescr* GetMenuDescr() const { return menu_.get(); }
    void SetMenuDescr(const TMenuDescr& menu);
    // Icons by resource number (large and small).
    void SetIcon(TModule* module, int res_id) { icon_ = res_id; }
    void SetIconSm(TModule* module, int res_id) { icon_sm_ = res_id; }
    int GetIconId() const { return icon_; }
    int GetIconSmId() const { return icon_sm_; }
    // The menu is about to open: WM_INITMENUPOPUP then the view is refreshed.
    void InitMenuPopup();

  protected:
    bool IsTopLevel() const override { return true; }

  private:
    TWindow* client_ = nullptr;
    bool shrink_to_client_;
    std::unique_ptr<TMenuDescr> menu_;
    int icon_ = 0;
    int icon_sm_ = 0;
};

class TMDIChild;

// The client area of an MDI frame: holds the MDI children and knows the active one.
class TMDIClient : public TWindow {
  public:
    explicit TMDIClient(TModule* module = nullptr);
    std::vector<TMDIChild*> MDIChildren() const;
    TMDIChild* GetActiveMDIChild() const { return active_; }
    void SetActiveMDIChild(TMDIChild* child);

  private:
    friend class TMDIChild;
    TMDIChild* active_ = nullptr;
};

// A child frame inside an MDI client. Closing it destroys and deletes it.
class TMDIChild : public TFrameWindow {
  public:
    TMDIChild(TMDIClient& parent, const std::string& title, TWindow* client = nullptr,
              bool shrink_to_client = false, TModule* module = nullptr);
    ~TMDIChild() override;
    // Creates the child and makes it the active one.
    bool Create() override;
    TMDIClient* GetMDIClient() const;
    // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED.
    int GetShowState() const { return show_state_; }
    void SetShowState(int state);
    // Makes the child the active one and restores it when minimised.
    void Activate();
    void CloseWindow(int ret_value = 0) override;

  private:
    int show_state_ = SW_SHOWNORMAL;
};

// A main window whose client is an MDI client (the desktop host's frame).
class TMDIFrame : public TFrameWindow {
  public:
    explicit TMDIFrame(const std::string& title, TModule* module = nullptr);
    TMDIClient* GetMDIClient() const { return client_; }

  private:
    TMDIClient* client_;
};
