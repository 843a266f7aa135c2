#include "host/ui/qt/qt_backend.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/output/textprint.h"
#include "host/ui/controls.h"
#include "host/ui/dialog.h"
#include "host/ui/qt/qt_preview.h"

namespace host::ui {

void ShowTextViewer(QWidget* parent, const std::string& path);

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A label shows '&' as typed in a template ("&Nom" marks a mnemonic): keep the text and
// drop the marks, "&&" standing for one ampersand.
QString LabelText(const std::string& s) {
    QString out;
    const QString in = Q(s);
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '&' && i + 1 < in.size()) {
            ++i;
            if (in[i] == '&')
                out += '&';
            else
                out += in[i];
            continue;
        }
        out += in[i];
    }
    return out;
}

// A modal or modeless dialog shown for a model dialog. Escape and the close box send
// IDCANCEL to the model, which decides whether the dialog ends.
class ModelDialog final : public QDialog {
  public:
    ModelDialog(QWidget* parent, TDialog* model, QtBackend* backend)
        : QDialog(parent), model_(model), backend_(backend) {}
    void reject() override {
        if (backend_->HasView(model_)) model_->SendCommand(IDCANCEL);
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }

  private:
    TDialog* model_;
    QtBackend* backend_;
};

// Gives the Enter key to the dialog's PreProcessMsg first (the Reports Manager launches
// the selected entry with it); otherwise the widget handles it.
class EnterFilter final : public QObject {
  public:
    EnterFilter(QObject* parent, TWindow* dialog, QtBackend* backend)
        : QObject(parent), dialog_(dialog), backend_(backend) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (!backend_->HasView(dialog_)) return false;
        MSG msg;
        msg.hwnd = dialog_;
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_RETURN;
        return dialog_->PreProcessMsg(msg);
    }

  private:
    TWindow* dialog_;
    QtBackend* backend_;
};

// The close box of an MDI sub-window closes the model's child, which deletes itself.
class SubWindowFilter final : public QObject {
  public:
    SubWindowFilter(QObject* parent, TMDIChild* child, QtBackend* backend)
        : QObject(parent), child_(child), backend_(backend) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
        event->ignore();
        if (backend_->HasView(child_)) {
            TMDIChild* child = child_;
            QTimer::singleShot(0, [child, backend = backend_] {
                if (backend->HasView(child)) child->CloseWindow();
            });
        }
        return true;
    }

  private:
    TMDIChild* child_;
    QtBackend* backend_;
};

class QtMeter final : public output::MeterView {
  public:
    QtMeter(QWidget* parent, const std::string& title, const QString& caption, long max,
            bool visible)
        : max_(max) {
        dialog_ = new QProgressDialog(Q(title), QStringLiteral("Annuler"), 0, Clamp(max), parent);
        dialog_->setWindowTitle(caption.isEmpty() ? Q(title) : caption);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(visible ? 300 : 1 << 30);
        dialog_->setValue(0);
    }
    ~QtMeter() override { Close(); }
    void SetTitle(const std::string& title) override {
        if (dialog_) dialog_->setLabelText(Q(title));
    }
    void SetMax(long max) override {
        max_ = max;
        if (dialog_) dialog_->setMaximum(Clamp(max));
    }
    void SetPosition(long position) override {
        if (!dialog_) return;
        dialog_->setValue(Clamp(position < max_ ? position : max_));
        QCoreApplication::processEvents();
    }
    bool Cancelled() override {
        if (!dialog_) return false;
        QCoreApplication::processEvents();
        return dialog_->wasCanceled();
    }
    void Close() override {
        if (!dialog_) return;
        dialog_->close();
        delete dialog_;
        dialog_ = nullptr;
    }

  private:
    static int Clamp(long v) { return static_cast<int>(v < 0 ? 0 : (v > 1 << 30 ? 1 << 30 : v)); }
    QPointer<QProgressDialog> dialog_;
    long max_;
};

class QtCounter final : public output::CounterView {
  public:
    explicit QtCounter(QWidget* parent) {
        dialog_ = new QProgressDialog(QString(), QString(), 0, 0, parent);
        dialog_->setCancelButton(nullptr);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(300);
    }
    ~QtCounter() override { Close(); }
    void SetTitle(const std::string& title) override {
        if (dialog_) dialog_->setWindowTitle(Q(title));
    }
    void SetMessage(const std::string& message) override {
        message_ = Q(message);
        Refresh();
    }
    void SetCount(long count) override {
        count_ = count;
        Refresh();
    }
    void Close() override {
        if (!dialog_) return;
        dialog_->close();
        delete dialog_;
        dialog_ = nullptr;
    }

  private:
    void Refresh() {
        if (!dialog_) return;
        dialog_->setLabelText(message_ + QStringLiteral("\n") + QString::number(count_));
        dialog_->setValue(0);
        QCoreApplication::processEvents();
    }
    QPointer<QProgressDialog> dialog_;
    QString message_;
    long count_ = 0;
};

void SetGeometry(QWidget* widget, const TRect& r, bool one_line = false) {
    int h = DluY(r.h);
    if (one_line) h = std::min(h, widget->sizeHint().height());
    widget->setGeometry(DluX(r.x), DluY(r.y), DluX(r.w), h);
}

// A closed drop-down shows its choice whole when the form has room: it grows to the right,
// up to the next control beside it or the edge of its frame, never below the template's
// width and never over another control.
void WidenToFit(QComboBox* combo) {
    QWidget* parent = combo->parentWidget();
    if (!parent) return;
    const int base = combo->property("template_width").isValid()
                         ? combo->property("template_width").toInt()
                         : combo->width();
    combo->setProperty("template_width", base);
    int text = 0;
    for (int i = 0; i < combo->count(); ++i)
        text = std::max(text, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const int wanted =
        combo->style()
            ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, combo->height()), combo)
            .width();
    const QRect r = combo->geometry();
    int limit = parent->width() - DluX(4);
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == combo || w->isWindow()) continue;
        const QRect g = w->geometry();
        if (qobject_cast<QGroupBox*>(w)) {
            if (g.contains(r.topLeft())) limit = std::min(limit, g.right() - DluX(4));
            continue;
        }
        const bool beside = g.bottom() >= r.top() && g.top() <= r.bottom();
        if (beside && g.left() >= r.left() + base) limit = std::min(limit, g.left() - DluX(2));
    }
    combo->resize(std::max(base, std::min(wanted, limit - r.left())), r.height());
}

}  // namespace

int DluX(int x) {
    const QFontMetrics fm(QApplication::font());
    return (x * fm.averageCharWidth() + 2) / 4;
}

int DluY(int y) {
    const QFontMetrics fm(QApplication::font());
    return (y * fm.height() + 4) / 8;
}

// The view of one model window: a refresh function for the changes the widget shows.
class QtBackend::View final : public WindowView {
  public:
    explicit View(QWidget* widget) : widget(widget) {}
    void ModelChanged(TWindow&, Change what) override {
        if (widget && refresh) refresh(what);
    }
    QPointer<QWidget> widget;
    std::function<void(Change)> refresh;
};

QtBackend::QtBackend() = default;

QtBackend::~QtBackend() {
    for (auto& [window, view] : views_)
        const_cast<TWindow*>(window)->SetView(nullptr);
}

QtBackend::View* QtBackend::Attach(TWindow& window, QWidget* widget) {
    auto view = std::make_unique<View>(widget);
    View* raw = view.get();
    window.SetView(raw);
    views_[&window] = std::move(view);
    return raw;
}

QWidget* QtBackend::WidgetFor(const TWindow* window) const {
    auto it = views_.find(window);
    return it == views_.end() ? nullptr : it->second->widget.data();
}

TMDIChild* QtBackend::MdiChildFor(const QMdiSubWindow* sub) const {
    for (const auto& [window, widget] : tops_)
        if (widget.data() == sub) return dynamic_cast<TMDIChild*>(const_cast<TWindow*>(window));
    return nullptr;
}

QWidget* QtBackend::ParentWidget(const void* window) const {
    for (const auto& [w, view] : views_)
        if (static_cast<const void*>(w) == window && view->widget && view->widget->isVisible())
            return view->widget->window();
    // A window on its way out (hidden, deleted later) must not become a parent.
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return mdi_area_ && mdi_area_->isVisible() ? mdi_area_->window() : nullptr;
}

// --- Message boxes, meters, viewers ---

int QtBackend::Show(const void* parent, const std::string& text, const std::string& title,
                    unsigned flags) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & MB_ICONMASK) {
        case MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONWARNING:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, title.empty() ? QApplication::applicationDisplayName() : Q(title),
                    Q(text), QMessageBox::NoButton, ParentWidget(parent));
    struct B {
        QMessageBox::StandardButton button;
        const char* text;
        int id;
    };
    std::vector<B> buttons;
    switch (flags & MB_BUTTONMASK) {
        case MB_OKCANCEL:
            buttons = {{QMessageBox::Ok, "OK", IDOK}, {QMessageBox::Cancel, "Annuler", IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{QMessageBox::Yes, "Oui", IDYES}, {QMessageBox::No, "Non", IDNO}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{QMessageBox::Yes, "Oui", IDYES},
                       {QMessageBox::No, "Non", IDNO},
                       {QMessageBox::Cancel, "Annuler", IDCANCEL}};
            break;
        default:
            buttons = {{QMessageBox::Ok, "OK", IDOK}};
            break;
    }
    for (const B& b : buttons)
        box.addButton(b.button)->setText(QString::fromUtf8(b.text));
    box.setDefaultButton(buttons.front().button);
    const int clicked = box.exec();
    for (const B& b : buttons)
        if (clicked == b.button) return b.id;
    // Closed without a button: the answer of Escape.
    return buttons.size() > 1 ? buttons.back().id : IDOK;
}

std::unique_ptr<output::MeterView> QtBackend::CreateMeter(const void* parent,
                                                          const std::string& title, long max,
                                                          bool visible) {
    // Within a run the window says what the run makes; the report's text is the label.
    QString caption;
    if (runs_ > 0) {
        switch (run_choice_) {
            case 0:
                caption = QStringLiteral("Impression");
                break;
            case 1:
                caption = QStringLiteral("Aperçu");
                break;
            case 2:
                caption = QStringLiteral("Exportation");
                break;
            default:
                caption = QStringLiteral("Rapport");
                break;
        }
    }
    return std::make_unique<QtMeter>(ParentWidget(parent), title, caption, max, visible);
}

std::unique_ptr<output::CounterView> QtBackend::CreateCounter(const void* parent) {
    return std::make_unique<QtCounter>(ParentWidget(parent));
}

void QtBackend::ShowTextFile(const void* parent, const std::string& path) {
    // A run's text file waits for the run's end, which previews the pages it printed.
    if (runs_ > 0) {
        pending_text_.push_back(path);
        return;
    }
    // Another text file (a check's listing): printed to a PDF of its own and previewed; the
    // plain viewer when it cannot be printed.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QFileInfo(Q(path)).completeBaseName() + ".pdf");
    std::string why;
    if (!dir.isValid() ||
        !host::output::PrintTextFileToPdf(path, pdf.toStdString(), &why, nullptr)) {
        ShowTextViewer(ParentWidget(parent), path);
        return;
    }
    Preview(ParentWidget(parent), QFileInfo(Q(path)).fileName(), {pdf});
}

void QtBackend::ShowPdf(const void* parent, const std::string& path) {
    WriteDebugLogFile("PDF : %s", path.c_str());
    // Within a run the preview waits for the run's end and shows all its pages.
    if (runs_ > 0) return;
    Preview(ParentWidget(parent), QFileInfo(Q(path)).fileName(), {Q(path)});
}

void QtBackend::Preview(QWidget* parent, const QString& title, const QStringList& pdfs) {
    PdfPreview preview(parent, title, pdfs);
    if (!preview.IsValid()) {
        QMessageBox::warning(parent, QStringLiteral("Aperçu"), preview.Error());
        return;
    }
    preview.exec();
}

void QtBackend::Status(const QString& text) {
    last_status_ = text;
    WriteDebugLogFile("%s", text.toUtf8().constData());
    if (status_) status_(text);
}

void QtBackend::RunStarted(const void*, int output_choice) {
    run_choice_ = output_choice;
    if (runs_++ == 0) pending_text_.clear();
}

void QtBackend::RunFinished(const void* parent, int output_choice, bool ok,
                            const std::vector<std::string>& files) {
    if (runs_ > 0) --runs_;
    const std::vector<std::string> texts = std::move(pending_text_);
    pending_text_.clear();
    if (!ok) {
        Status(QStringLiteral("Rapport interrompu."));
        return;
    }
    const QString folder = QDir::toNativeSeparators(Q(host::Env().output_dir));
    QStringList pdfs, sheets, names;
    for (const std::string& f : files) {
        const QString path = Q(f);
        names << QFileInfo(path).fileName();
        if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) pdfs << path;
        if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) sheets << path;
    }
    QWidget* over = ParentWidget(parent);
    const QString list = names.join(QStringLiteral(", "));
    switch (output_choice) {
        case 0: {
            if (pdfs.isEmpty()) break;
            QPrinter printer(QPrinter::HighResolution);
            printer.setDocName(QFileInfo(pdfs.front()).completeBaseName());
            QPrintDialog dialog(&printer, over);
            dialog.setWindowTitle(QStringLiteral("Imprimer"));
            if (dialog.exec() != QDialog::Accepted) {
                Status(QStringLiteral("Non imprimé ; gardé dans %1 : %2").arg(folder, list));
                return;
            }
            QString error;
            int pages = 0;
            if (!PrintPdfFiles(pdfs, printer, &error, &pages)) {
                QMessageBox::warning(over, QStringLiteral("Imprimer"), error);
                return;
            }
            Status(QStringLiteral("%1 page(s) envoyée(s) à l'imprimante ; gardé dans %2 : %3")
                       .arg(pages)
                       .arg(folder, list));
            return;
        }
        case 1: {
            Status(QStringLiteral("Aperçu ; écrit dans %1 : %2").arg(folder, list));
            if (!pdfs.isEmpty()) {
                Preview(over, QFileInfo(pdfs.front()).completeBaseName(), pdfs);
            } else {
                for (const std::string& text : texts)
                    ShowTextFile(parent, text);
            }
            return;
        }
        case 2: {
            if (sheets.isEmpty()) break;
            // The export goes where the user says; a copy stays in the output folder.
            QStringList saved;
            for (const QString& sheet : sheets) {
                const QString target =
                    AskSavePath(over, QStringLiteral("Enregistrer l'export"), sheet,
                                QStringLiteral("Classeurs Excel (*.xlsx)"));
                if (target.isEmpty()) continue;
                if (QFileInfo(target) != QFileInfo(sheet)) {
                    QFile::remove(target);
                    if (!QFile::copy(sheet, target)) {
                        QMessageBox::warning(
                            over, QStringLiteral("Enregistrer l'export"),
                            QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.").arg(target));
                        continue;
                    }
                }
                saved << QDir::toNativeSeparators(target);
            }
            if (saved.isEmpty())
                Status(QStringLiteral("Export gardé dans %1 : %2").arg(folder, list));
            else
                Status(QStringLiteral("Exporté : %1").arg(saved.join(QStringLiteral(", "))));
            return;
        }
        default:
            break;
    }
    if (names.isEmpty())
        Status(QStringLiteral("Aucun fichier écrit."));
    else
        Status(QStringLiteral("Écrit dans %1 : %2").arg(folder, list));
}

void QtBackend::MessagesPosted() {
    if (delivery_scheduled_) return;
    delivery_scheduled_ = true;
    QTimer::singleShot(0, [this] {
        delivery_scheduled_ = false;
        DeliverPostedMessages();
    });
}

// --- Windows ---

// The contents of an MDI child follow its size: a client that is one tab control (the
// Reports Manager) has the tabs fill the window, so that its lists reflow their entries;
// below the template's size, scroll bars keep everything reachable.
QWidget* QtBackend::FitToWindow(TWindow* client, QWidget* contents) {
    if (client && client->GetChildren().size() == 1 &&
        dynamic_cast<TTabControl*>(client->GetChildren().front())) {
        QWidget* tabs = WidgetFor(client->GetChildren().front());
        if (tabs) {
            const QSize natural = contents->size();
            contents->setMinimumSize(0, 0);
            contents->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            auto* layout = new QVBoxLayout(contents);
            layout->setContentsMargins(4, 4, 4, 4);
            layout->addWidget(tabs);
            contents->setMinimumSize(natural.width() / 2, natural.height() / 2);
            contents->resize(natural);
        }
    }
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(contents);
    scroll->resize(contents->size());
    return scroll;
}

void QtBackend::BindMdiClient(TMDIClient* client, QMdiArea* area) {
    mdi_client_ = client;
    mdi_area_ = area;
    if (!area) return;
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [this](QMdiSubWindow* sub) {
        if (TMDIChild* child = MdiChildFor(sub); child && mdi_client_)
            mdi_client_->SetActiveMDIChild(child);
    });
}

int QtBackend::RunModal(TDialog& dialog) {
    // On the heap: a parent deleted during the loop takes the dialog with it.
    QPointer<ModelDialog> qd = new ModelDialog(ParentWidget(dialog.GetParent()), &dialog, this);
    qd->setWindowTitle(Q(dialog.GetCaption()));
    QWidget* contents = Build(dialog, qd);
    auto* layout = new QVBoxLayout(qd);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(contents);
    qd->setFixedSize(contents->size());
    if (dialog.IsRunning()) qd->exec();
    if (dialog.IsRunning()) dialog.EndModal(IDCANCEL);
    const int result = dialog.GetModalResult();
    // The model's views go now, the widgets with the dialog.
    std::function<void(TWindow&)> drop = [&](TWindow& w) {
        w.SetView(nullptr);
        views_.erase(&w);
        for (TWindow* c : w.GetChildren())
            drop(*c);
    };
    drop(dialog);
    delete qd.data();
    return result;
}

void QtBackend::WindowCreated(TWindow& window) {
    if (auto* child = dynamic_cast<TMDIChild*>(&window)) {
        if (!mdi_area_ || child->GetMDIClient() != mdi_client_) return;
        TWindow* client = child->GetClientWindow();
        QWidget* contents = client ? Build(*client, nullptr) : new QWidget;
        auto* sub = new QMdiSubWindow;
        const QSize natural = contents->size();
        sub->setWidget(FitToWindow(client, contents));
        sub->setWindowTitle(Q(child->GetCaption()));
        sub->setWindowIcon(ItemIcon(child->GetIconId(), 0, 16));
        sub->installEventFilter(new SubWindowFilter(sub, child, this));
        mdi_area_->addSubWindow(sub);
        sub->resize(natural + QSize(12, sub->fontMetrics().height() + 16));
        tops_[child] = sub;
        View* view = Attach(*child, sub);
        view->refresh = [child, sub](Change what) {
            if (what == Change::Text) sub->setWindowTitle(Q(child->GetCaption()));
            if (what != Change::ShowState) return;
            switch (child->GetShowState()) {
                case SW_SHOWMAXIMIZED:
                    sub->showMaximized();
                    break;
                case SW_SHOWMINIMIZED:
                    sub->showMinimized();
                    break;
                default:
                    sub->showNormal();
                    break;
            }
        };
        sub->show();
        view->refresh(Change::ShowState);
        return;
    }
    if (auto* dialog = dynamic_cast<TDialog*>(&window)) {
        auto* qd = new ModelDialog(ParentWidget(dialog->GetParent()), dialog, this);
        qd->setWindowTitle(Q(dialog->GetCaption()));
        QWidget* contents = Build(*dialog, qd);
        auto* layout = new QVBoxLayout(qd);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(contents);
        qd->setFixedSize(contents->size());
        tops_[dialog] = qd;
        qd->show();
    }
}

void QtBackend::WindowDestroyed(TWindow& window) {
    if (auto it = views_.find(&window); it != views_.end()) {
        window.SetView(nullptr);
        views_.erase(it);
    }
    if (auto it = tops_.find(&window); it != tops_.end()) {
        if (it->second) {
            it->second->hide();
            it->second->deleteLater();
        }
        tops_.erase(it);
    }
}

void QtBackend::ActivateWindow(TWindow& window) {
    auto it = tops_.find(&window);
    if (it == tops_.end() || !it->second) return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(it->second.data()); sub && mdi_area_) {
        if (sub->isMinimized()) sub->showNormal();
        mdi_area_->setActiveSubWindow(sub);
        return;
    }
    it->second->raise();
    it->second->activateWindow();
}

void QtBackend::WatchEnterKey(TWindow& dialog, QWidget* widget) {
    auto* filter = new EnterFilter(widget, &dialog, this);
    widget->installEventFilter(filter);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(filter);
}

QWidget* QtBackend::Build(TWindow& window, QWidget* parent) {
    if (dynamic_cast<TControl*>(&window)) return BuildControl(window, parent);
    auto* container = new QWidget(parent);
    const TRect& r = window.GetRect();
    container->setFixedSize(DluX(r.w), DluY(r.h));
    // Group boxes first, so that they stay behind the controls they frame.
    for (TWindow* child : window.GetChildren())
        if (auto* c = dynamic_cast<TControl*>(child); c && c->GetKind() == ControlKind::GroupBox)
            BuildControl(*child, container);
    for (TWindow* child : window.GetChildren())
        if (auto* c = dynamic_cast<TControl*>(child); !c || c->GetKind() != ControlKind::GroupBox)
            Build(*child, container);
    // Now that every control stands, each drop-down knows the room beside it.
    for (QComboBox* combo : container->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly))
        WidenToFit(combo);
    View* view = Attach(window, container);
    view->refresh = [&window, container](Change what) {
        QWidget* top = container->window();
        switch (what) {
            case Change::Text:
                if (top != container) top->setWindowTitle(Q(window.GetCaption()));
                break;
            case Change::State:
                container->setEnabled(window.IsWindowEnabled());
                break;
            case Change::Closed:
                if (auto* dialog = dynamic_cast<TDialog*>(&window))
                    if (auto* qd = qobject_cast<QDialog*>(top)) {
                        if (qd->isModal() || qd->isVisible()) qd->done(dialog->GetModalResult());
                    }
                break;
            default:
                break;
        }
    };
    if (auto* dialog = dynamic_cast<TDialog*>(&window)) WatchEnterKey(*dialog, container);
    return container;
}

QWidget* QtBackend::BuildControl(TWindow& window, QWidget* parent) {
    auto* control = dynamic_cast<TControl*>(&window);
    if (!control) return nullptr;
    QWidget* widget = nullptr;
    std::function<void(Change)> refresh;
    switch (control->GetKind()) {
        case ControlKind::Static: {
            auto* label = new QLabel(LabelText(control->GetText()), parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            refresh = [control, label](Change what) {
                if (what == Change::Text) label->setText(LabelText(control->GetText()));
            };
            break;
        }
        case ControlKind::GroupBox: {
            auto* box = new QGroupBox(LabelText(control->GetText()), parent);
            box->lower();
            widget = box;
            refresh = [control, box](Change what) {
                if (what == Change::Text) box->setTitle(LabelText(control->GetText()));
            };
            break;
        }
        case ControlKind::Picture:
        case ControlKind::Button: {
            QAbstractButton* button = nullptr;
            if (control->GetKind() == ControlKind::Picture) {
                auto* tool = new QToolButton(parent);
                tool->setIcon(ItemIcon(1546, 0, 32));
                tool->setIconSize(
                    QSize(DluX(control->GetRect().w) - 4, DluY(control->GetRect().h) - 4));
                tool->setAutoRaise(true);
                button = tool;
            } else {
                auto* push = new QPushButton(Q(control->GetText()), parent);
                push->setDefault(control->IsDefaultButton());
                push->setAutoDefault(control->IsDefaultButton());
                button = push;
            }
            if (!control->GetTip().empty()) button->setToolTip(Q(control->GetTip()));
            auto* model = static_cast<TButton*>(control);
            QObject::connect(button, &QAbstractButton::clicked, button, [this, model] {
                if (HasView(model)) model->UserClick();
            });
            widget = button;
            refresh = [control, button](Change what) {
                if (what == Change::Text && qobject_cast<QPushButton*>(button))
                    button->setText(Q(control->GetText()));
            };
            break;
        }
        case ControlKind::Spin: {
            auto* model = static_cast<TSpinField*>(control);
            auto* spin = new QSpinBox(parent);
            spin->setRange(model->GetLow(), model->GetHigh());
            spin->setValue(model->GetValue());
            QObject::connect(spin, &QSpinBox::valueChanged, spin, [this, model](int v) {
                if (HasView(model)) model->UserType(std::to_string(v));
            });
            widget = spin;
            refresh = [model, spin](Change) {
                const QSignalBlocker block(spin);
                spin->setRange(std::min(model->GetLow(), model->GetValue()),
                               std::max(model->GetHigh(), model->GetValue()));
                spin->setValue(model->GetValue());
            };
            break;
        }
        case ControlKind::Edit:
        case ControlKind::Date:
        case ControlKind::Time:
        case ControlKind::Amount: {
            auto* model = static_cast<TEdit*>(control);
            auto* edit = new QLineEdit(Q(model->GetText()), parent);
            if (model->GetTextLimit()) edit->setMaxLength(static_cast<int>(model->GetTextLimit()));
            edit->setReadOnly(model->IsReadOnly());
            if (control->GetKind() == ControlKind::Date)
                edit->setPlaceholderText(QStringLiteral("JJ/MM/AAAA"));
            else if (control->GetKind() == ControlKind::Time)
                edit->setPlaceholderText(QStringLiteral("HH:MM"));
            else if (control->GetKind() == ControlKind::Amount)
                edit->setAlignment(Qt::AlignRight);
            QObject::connect(edit, &QLineEdit::textEdited, edit, [this, model](const QString& t) {
                if (HasView(model)) model->UserType(t.toStdString());
            });
            widget = edit;
            refresh = [model, edit](Change what) {
                if (what == Change::State) edit->setReadOnly(model->IsReadOnly());
                const QString text = Q(model->GetText());
                if (edit->text() != text) edit->setText(text);
            };
            break;
        }
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: {
            auto* model = static_cast<TCheckBox*>(control);
            QAbstractButton* button = nullptr;
            if (control->GetKind() == ControlKind::RadioButton) {
                auto* radio = new QRadioButton(Q(control->GetText()), parent);
                radio->setAutoExclusive(false);  // the model keeps the group
                button = radio;
            } else {
                button = new QCheckBox(Q(control->GetText()), parent);
            }
            button->setChecked(model->IsChecked());
            QObject::connect(button, &QAbstractButton::clicked, button, [this, model, button] {
                if (!HasView(model)) return;
                // Radio buttons only turn on by a click; the model does the rest.
                if (model->GetKind() == ControlKind::RadioButton && model->IsChecked()) {
                    button->setChecked(true);
                    return;
                }
                model->UserClick();
            });
            widget = button;
            refresh = [model, button](Change what) {
                const QSignalBlocker block(button);
                if (what == Change::Text) button->setText(Q(model->GetText()));
                button->setChecked(model->IsChecked());
            };
            break;
        }
        case ControlKind::ComboBox: {
            auto* model = static_cast<TListBoxBase*>(control);
            auto* combo = new QComboBox(parent);
            QObject::connect(combo, &QComboBox::activated, combo, [this, model](int index) {
                if (HasView(model)) model->UserSelect(index);
            });
            widget = combo;
            refresh = [model, combo](Change) {
                const QSignalBlocker block(combo);
                if (combo->count() != model->GetCount()) {
                    combo->clear();
                    for (const auto& item : model->Items())
                        combo->addItem(Q(item.text));
                } else {
                    for (int i = 0; i < model->GetCount(); ++i)
                        combo->setItemText(i, Q(model->GetString(i)));
                }
                combo->setCurrentIndex(model->GetSelIndex());
                // The list opens as wide as its longest entry, whatever the field's width;
                // the field's tip shows the whole choice.
                int widest = 0;
                for (int i = 0; i < combo->count(); ++i)
                    widest = std::max(widest,
                                      combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
                combo->view()->setMinimumWidth(
                    widest + 2 * combo->fontMetrics().averageCharWidth() +
                    combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
                combo->setToolTip(combo->currentText());
                WidenToFit(combo);
            };
            break;
        }
        case ControlKind::ListBox: {
            auto* model = static_cast<TListBoxBase*>(control);
            auto* list = new QListWidget(parent);
            QObject::connect(list, &QListWidget::currentRowChanged, list, [this, model](int row) {
                if (HasView(model) && row != model->GetSelIndex()) model->UserSelect(row);
            });
            widget = list;
            refresh = [model, list](Change) {
                const QSignalBlocker block(list);
                list->clear();
                for (const auto& item : model->Items())
                    list->addItem(Q(item.text));
                list->setCurrentRow(model->GetSelIndex());
            };
            break;
        }
        case ControlKind::ListView:
            return BuildListView(window, parent);
        case ControlKind::TabControl:
            return BuildTabControl(window, parent);
    }
    SetGeometry(
        widget, control->GetRect(),
        control->GetKind() == ControlKind::ComboBox || control->GetKind() == ControlKind::Spin);
    widget->setEnabled(control->IsWindowEnabled());
    widget->setVisible(control->IsWindowVisible());
    if (!control->GetTip().empty()) widget->setToolTip(Q(control->GetTip()));
    View* view = Attach(window, widget);
    view->refresh = [control, widget, refresh](Change what) {
        if (what == Change::Focus) {
            widget->setFocus(Qt::OtherFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
            return;
        }
        if (what == Change::State) {
            widget->setEnabled(control->IsWindowEnabled());
            widget->setVisible(control->IsWindowVisible());
        }
        if (refresh) refresh(what);
    };
    view->refresh(Change::Items);
    return widget;
}

QWidget* QtBackend::BuildListView(TWindow& window, QWidget* parent) {
    auto* model = static_cast<TListView*>(&window);
    QWidget* widget = nullptr;
    std::function<void(Change)> refresh;
    if (model->GetView() == LV_VIEW_DETAILS) {
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [this, model, tree] {
            if (!HasView(model)) return;
            const auto items = tree->selectedItems();
            const int row = items.isEmpty() ? -1 : tree->indexOfTopLevelItem(items.front());
            if (row != model->GetSelIndex()) model->UserSelect(row);
        });
        QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree,
                         [this, model, tree](QTreeWidgetItem* item) {
                             if (HasView(model))
                                 model->UserDoubleClick(tree->indexOfTopLevelItem(item));
                         });
        widget = tree;
        refresh = [model, tree](Change) {
            const QSignalBlocker block(tree);
            QStringList headers;
            for (const auto& column : model->Columns())
                headers << Q(column.text);
            tree->setColumnCount(std::max<int>(1, static_cast<int>(headers.size())));
            tree->setHeaderLabels(headers);
            for (int c = 0; c < static_cast<int>(model->Columns().size()); ++c)
                tree->setColumnWidth(c, DluX(model->GetColumnWidth(c)));
            tree->clear();
            for (const auto& item : model->Items()) {
                QStringList texts;
                for (const auto& t : item.texts)
                    texts << Q(t);
                auto* row = new QTreeWidgetItem(texts);
                tree->addTopLevelItem(row);
                row->setSelected(item.selected);
            }
        };
    } else {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMovement(QListView::Static);
        list->setResizeMode(QListView::Adjust);
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this, model, list] {
            if (!HasView(model)) return;
            const auto items = list->selectedItems();
            const int row = items.isEmpty() ? -1 : list->row(items.front());
            if (row != model->GetSelIndex()) model->UserSelect(row);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                         [this, model, list](QListWidgetItem* item) {
                             if (HasView(model) && !model->IsItemDimmed(list->row(item)))
                                 model->UserDoubleClick(list->row(item));
                         });
        // The keyboard's current entry is the selected one: the first arrow key selects an
        // entry (not only a focus frame), and Enter then launches it.
        QObject::connect(
            list, &QListWidget::currentItemChanged, list, [list](QListWidgetItem* current) {
                if (current && (current->flags() & Qt::ItemIsSelectable) && !current->isSelected())
                    current->setSelected(true);
            });
        widget = list;
        refresh = [model, list](Change what) {
            const QSignalBlocker block(list);
            if (what == Change::View || what == Change::Items) {
                switch (model->GetView()) {
                    case LV_VIEW_ICON:
                        list->setViewMode(QListView::IconMode);
                        list->setFlow(QListView::LeftToRight);
                        list->setWrapping(true);
                        list->setIconSize(QSize(48, 48));
                        list->setGridSize(
                            QSize(DluX(70), 48 + 3 * list->fontMetrics().height() + 10));
                        break;
                    case LV_VIEW_SMALLICON:
                        list->setViewMode(QListView::ListMode);
                        list->setFlow(QListView::LeftToRight);
                        list->setWrapping(true);
                        list->setIconSize(QSize(16, 16));
                        list->setGridSize(QSize(DluX(110), 22));
                        break;
                    default:
                        list->setViewMode(QListView::ListMode);
                        list->setFlow(QListView::TopToBottom);
                        list->setWrapping(false);
                        list->setIconSize(QSize(16, 16));
                        list->setGridSize(QSize());
                        break;
                }
            }
            if (what == Change::Items || what == Change::View) {
                list->clear();
                const int size = model->GetView() == LV_VIEW_ICON ? 48 : 16;
                for (const auto& item : model->Items()) {
                    auto* row = new QListWidgetItem(Q(item.texts.empty() ? "" : item.texts[0]));
                    if (model->ShowsImages() && item.image >= 0)
                        row->setIcon(ItemIcon(model->GetLargeImageList(), item.image, size));
                    if (model->GetView() == LV_VIEW_ICON)
                        row->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
                    if (item.dimmed) {
                        // Shown greyed, not selectable: nothing to open, the tip says why.
                        row->setFlags(row->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
                        row->setForeground(
                            list->palette().color(QPalette::Disabled, QPalette::Text));
                    }
                    if (!item.tip.empty()) row->setToolTip(Q(item.tip));
                    list->addItem(row);
                }
            }
            for (int i = 0; i < list->count() && i < model->GetItemCount(); ++i)
                list->item(i)->setSelected(model->Items()[static_cast<size_t>(i)].selected);
        };
    }
    if (model->GetRect().w > 0) SetGeometry(widget, model->GetRect());
    widget->setEnabled(model->IsWindowEnabled());
    View* view = Attach(window, widget);
    view->refresh = [model, widget, refresh](Change what) {
        if (what == Change::State) widget->setEnabled(model->IsWindowEnabled());
        refresh(what);
    };
    view->refresh(Change::View);
    return widget;
}

QWidget* QtBackend::BuildTabControl(TWindow& window, QWidget* parent) {
    auto* model = static_cast<TTabControl*>(&window);
    auto* tabs = new QTabWidget(parent);
    tabs->setDocumentMode(false);
    auto sync_tabs = [this, model, tabs] {
        for (int i = tabs->count(); i < model->GetCount(); ++i) {
            const TTabControl::Tab& tab = model->Tabs()[static_cast<size_t>(i)];
            QWidget* page = tab.page ? Build(*tab.page, nullptr) : new QWidget;
            QPalette palette = page->palette();
            palette.setColor(QPalette::Base,
                             QColor(tab.color.r, tab.color.g, tab.color.b).lighter(125));
            page->setPalette(palette);
            tabs->addTab(page, TabIcon(tab.image), Q(tab.caption));
        }
    };
    sync_tabs();
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this, model](int index) {
        if (HasView(model) && index != model->GetSel()) model->UserSelect(index);
    });
    SetGeometry(tabs, model->GetRect());
    View* view = Attach(window, tabs);
    view->refresh = [model, tabs, sync_tabs](Change what) {
        const QSignalBlocker block(tabs);
        if (what == Change::Items) sync_tabs();
        if (what == Change::State) tabs->setEnabled(model->IsWindowEnabled());
        for (int i = 0; i < tabs->count() && i < model->GetCount(); ++i)
            tabs->setTabText(i, Q(model->Tabs()[static_cast<size_t>(i)].caption));
        tabs->setCurrentIndex(model->GetSel());
    };
    view->refresh(Change::Selection);
    return tabs;
}

}  // namespace host::ui
