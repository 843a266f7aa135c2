// The Qt Widgets back end of the desktop: real widgets built from the dialog templates and
// kept in step with the toolkit-neutral model (a user's action goes to the model as the
// User* operation of the control; a model change updates the widget), QMessageBox for
// message boxes, progress dialogs with Cancel for meters, a text viewer for report files
// with printing to PDF, and MDI children in the desktop host's QMdiArea.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/ui/backend.h"
#include "host/ui/window.h"

class QWidget;
class QMdiArea;
class QMdiSubWindow;
class QDialog;
class QIcon;
class TMDIClient;
class TMDIChild;

namespace host::ui {

class QtBackend : public Backend {
  public:
    QtBackend();
    ~QtBackend() override;

    int Show(const void* parent, const std::string& text, const std::string& title,
             unsigned flags) override;
    std::unique_ptr<output::MeterView> CreateMeter(const void* parent, const std::string& title,
                                                   long max, bool visible) override;
    std::unique_ptr<output::CounterView> CreateCounter(const void* parent) override;
    void ShowTextFile(const void* parent, const std::string& path) override;
    void ShowPdf(const void* parent, const std::string& path) override;
    void RunStarted(const void* parent, int output_choice) override;
    void RunFinished(const void* parent, int output_choice, bool ok,
                     const std::vector<std::string>& files) override;
    const char* Name() const override { return "qt"; }

    // Where the desktop shows what a run wrote (its status bar).
    void SetStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }
    // The last status message (tests).
    const QString& LastStatus() const { return last_status_; }

    int RunModal(TDialog& dialog) override;
    void WindowCreated(TWindow& window) override;
    void WindowDestroyed(TWindow& window) override;
    void ActivateWindow(TWindow& window) override;
    void MessagesPosted() override;

    // The desktop host's MDI client and the area that shows it.
    void BindMdiClient(TMDIClient* client, QMdiArea* area);
    // The widget built for a window, or null.
    QWidget* WidgetFor(const TWindow* window) const;
    // The MDI child shown in a sub-window, or null.
    TMDIChild* MdiChildFor(const QMdiSubWindow* sub) const;
    // The widget to put a message box or a dialog over, for a model window (may be null).
    QWidget* ParentWidget(const void* window) const;
    class View;
    // Builds the widgets of a window and its children under parent (dialogs and their
    // controls, tab pages, list views); returns the window's widget.
    QWidget* Build(TWindow& window, QWidget* parent);

    // Whether a model window still has its view (it was not destroyed since).
    bool HasView(const TWindow* window) const { return views_.count(window) != 0; }

  private:
    View* Attach(TWindow& window, QWidget* widget);
    QWidget* BuildControl(TWindow& window, QWidget* parent);
    QWidget* BuildListView(TWindow& window, QWidget* parent);
    QWidget* BuildTabControl(TWindow& window, QWidget* parent);
    void WatchEnterKey(TWindow& dialog, QWidget* widget);
    QWidget* FitToWindow(TWindow* client, QWidget* contents);
    void Status(const QString& text);
    // The preview of PDF files (modal); text_files are shown as printed when no PDF is.
    void Preview(QWidget* parent, const QString& title, const QStringList& pdfs);

    std::unordered_map<const TWindow*, std::unique_ptr<View>> views_;
    // Top-level widgets the back end made for a window (MDI sub-windows, modeless
    // dialogs), deleted with the window.
    std::unordered_map<const TWindow*, QPointer<QWidget>> tops_;
    TMDIClient* mdi_client_ = nullptr;
    QPointer<QMdiArea> mdi_area_;
    bool delivery_scheduled_ = false;
    std::function<void(const QString&)> status_;
    QString last_status_;
    // Report runs under way (a run's previews wait for its end), and the text files a run
    // asked to show.
    int runs_ = 0;
    int run_choice_ = 0;
    std::vector<std::string> pending_text_;
};

// Icons of the list pages and tabs, drawn from the bitmap number and the image index
// (the original image strips are not part of this host).
QIcon ItemIcon(int bitmap, int index, int size);
QIcon TabIcon(int index);

// Converts dialog units to pixels for the application's font.
int DluX(int x);
int DluY(int y);

}  // namespace host::ui
