// rapports-gui: the desktop host. A main window with an MDI area and a "Rapports" menu that
// sends command 20115 to the reports module, loaded at run time as the host application
// loads it. It opens the practice database given with --db, or the demo practice of the
// workstation (created on first use). --screenshot writes a picture of the window to a PNG
// file and quits (documentation and tests).
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <set>

#include "app/demo/demo.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/ini.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/moduleload.h"
#include "host/ui/qds.h"
#include "host/ui/qt/qt_backend.h"
#include "shell/catalog.h"

namespace {

// Workstation settings of the desktop (rapports.ini).
constexpr const char* kDesktopSection = "BUREAU";
constexpr const char* kOutputKey = "DossierRapports";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// An error that stops the program: on standard error and, with a display, in a message
// box (a person who started the program from a menu sees no terminal).
int Fail(const QString& message) {
    std::fprintf(stderr, "rapports-gui: %s\n", message.toUtf8().constData());
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral("Rapports"), message);
    return 1;
}

// The help of the command line in French, from the options' own descriptions.
QString HelpText(const QCommandLineParser& parser, const QList<QCommandLineOption>& options) {
    QString text = QStringLiteral("Utilisation : rapports-gui [options]\n\n%1\n\nOptions :\n")
                       .arg(QCoreApplication::translate("main",
                                                        "Hôte de bureau du module de "
                                                        "rapports du cabinet dentaire"));
    Q_UNUSED(parser);
    for (const QCommandLineOption& o : options) {
        QStringList names;
        for (const QString& n : o.names())
            names << (n.size() == 1 ? "-" : "--") + n;
        QString left = names.join(QStringLiteral(", "));
        if (!o.valueName().isEmpty()) left += QStringLiteral(" <%1>").arg(o.valueName());
        text += QStringLiteral("  %1\n      %2\n").arg(left, o.description());
    }
    return text;
}

// The folder the reports are written to: --out, else the workstation's setting, chosen once
// (with a display, the user is asked the first time; otherwise the data folder's
// "rapports").
QString OutputFolder(const QString& option, bool ask) {
    if (!option.isEmpty()) return option;
    WDIniObj ini;
    const QString saved = Q(ini.read_secini(kDesktopSection, kOutputKey, ""));
    if (!saved.isEmpty()) return saved;
    QString folder = Q(host::Env().data_dir + "/rapports");
    if (ask) {
        const QString chosen = QFileDialog::getExistingDirectory(
            nullptr, QStringLiteral("Dossier où écrire les rapports"), QDir::homePath());
        if (!chosen.isEmpty()) folder = chosen;
    }
    ini.write_secini(kDesktopSection, kOutputKey, folder.toUtf8().constData());
    return folder;
}

// Makes folder the reports' output folder; false when it cannot be created.
bool UseOutputFolder(const QString& folder) {
    if (!host::EnsureDir(folder.toStdString())) return false;
    host::Env().output_dir = QDir(folder).absolutePath().toStdString();
    return true;
}

// "3,8" or "2-10".
bool ParseRights(const QString& text, std::set<int>* rights) {
    rights->clear();
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList range = part.trimmed().split('-');
        bool ok1 = false, ok2 = true;
        const int a = range.value(0).toInt(&ok1);
        const int b = range.size() > 1 ? range.value(1).toInt(&ok2) : a;
        if (!ok1 || !ok2 || range.size() > 2 || a > b) return false;
        for (int r = a; r <= b; ++r)
            rights->insert(r);
    }
    return true;
}

// The database of --db, or the workstation's demo practice, created when it holds none.
std::unique_ptr<GenDB> OpenPractice(const QString& dsn_option, const QString& size_option,
                                    QString* error) {
    const bool demo_db = dsn_option.isEmpty();
    const std::string dsn =
        demo_db ? "sqlite:" + host::Env().data_dir + "/demo.db" : dsn_option.toStdString();
    if (demo_db) host::EnsureDir(host::Env().data_dir);
    std::string why;
    auto db = GenDB::Open(dsn, &why);
    if (!db) {
        *error = QStringLiteral("impossible d'ouvrir la base %1 : %2").arg(Q(dsn), Q(why));
        return nullptr;
    }
    if (demo_db && !demo::PracticeHasData(*db)) {
        demo::DemoOptions options;
        if (!demo::ParseSize(size_option.toStdString(), &options.size)) {
            *error = QStringLiteral("taille inconnue : %1").arg(size_option);
            return nullptr;
        }
        options.today = ldate_today();
        std::fprintf(stderr, "rapports-gui: création du cabinet de démonstration (%s)...\n",
                     demo::SizeName(options.size));
        demo::DemoStats stats;
        if (!demo::GenerateDemo(*db, options, &stats, &why)) {
            *error = Q(why);
            return nullptr;
        }
    }
    return db;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rapports-gui"));
    QApplication::setApplicationDisplayName(QStringLiteral("Rapports"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Hôte de bureau du module de rapports du cabinet dentaire"));
    const QCommandLineOption help_opt({QStringLiteral("h"), QStringLiteral("help")},
                                      QStringLiteral("Affiche cette aide et quitte"));
    const QCommandLineOption db_opt(QStringLiteral("db"),
                                    QStringLiteral("Base du cabinet (sqlite:FICHIER ou "
                                                   "postgresql://...); défaut : la démonstration"),
                                    QStringLiteral("DSN"));
    const QCommandLineOption station_opt(QStringLiteral("station"),
                                         QStringLiteral("Dossier du poste"), QStringLiteral("DIR"));
    const QCommandLineOption size_opt(QStringLiteral("demo-size"),
                                      QStringLiteral("Taille du cabinet de démonstration créé au "
                                                     "premier usage (small, medium, large)"),
                                      QStringLiteral("TAILLE"), QStringLiteral("medium"));
    const QCommandLineOption today_opt(
        QStringLiteral("today"), QStringLiteral("Date du jour AAAAMMJJ"), QStringLiteral("DATE"));
    const QCommandLineOption rights_opt(QStringLiteral("rights"),
                                        QStringLiteral("Droits de l'utilisateur (ex. 3,8)"),
                                        QStringLiteral("LISTE"));
    const QCommandLineOption special_opt(QStringLiteral("special-version"),
                                         QStringLiteral("Code de version spéciale"),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption open_opt(
        QStringLiteral("open-reports"),
        QStringLiteral("Ouvre le Gestionnaire de Rapports au départ"));
    const QCommandLineOption view_opt(QStringLiteral("view"),
                                      QStringLiteral("Affichage des listes : icons ou list"),
                                      QStringLiteral("VUE"));
    const QCommandLineOption tab_opt(QStringLiteral("tab"),
                                     QStringLiteral("Onglet sélectionné (0 = le premier)"),
                                     QStringLiteral("N"));
    const QCommandLineOption shot_opt(
        QStringLiteral("screenshot"),
        QStringLiteral("Écrit une image PNG de la fenêtre avec le "
                       "Gestionnaire de Rapports ouvert, puis quitte"),
        QStringLiteral("FICHIER.png"));
    const QCommandLineOption out_opt(
        QStringLiteral("out"),
        QStringLiteral("Dossier où écrire les rapports (défaut : celui choisi au premier usage, "
                       "gardé dans rapports.ini)"),
        QStringLiteral("DOSSIER"));
    const QCommandLineOption preview_opt(
        QStringLiteral("preview"),
        QStringLiteral("Avec --screenshot : ouvre l'entrée N du catalogue, en fait l'aperçu et "
                       "photographie la fenêtre d'aperçu"),
        QStringLiteral("N"));
    const QList<QCommandLineOption> options = {
        help_opt, db_opt,   station_opt, size_opt, today_opt, rights_opt, special_opt,
        open_opt, view_opt, tab_opt,     out_opt,  shot_opt,  preview_opt};
    for (const QCommandLineOption& o : options)
        parser.addOption(o);
    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(QStringLiteral("%1 (voir --help)")
                        .arg(parser.unknownOptionNames().isEmpty()
                                 ? parser.errorText()
                                 : QStringLiteral("option inconnue : %1")
                                       .arg(parser.unknownOptionNames().join(", "))));
    if (parser.isSet(help_opt)) {
        std::printf("%s", HelpText(parser, options).toUtf8().constData());
        return 0;
    }

    if (parser.isSet(station_opt)) {
        host::Env().station_dir = parser.value(station_opt).toStdString();
        const char* data = std::getenv("RAPPORTS_DATA_DIR");
        if (!data || !*data) host::Env().data_dir = host::Env().station_dir;
    }
    if (parser.isSet(today_opt)) {
        long date = 0;
        if (!host::ParseDate(parser.value(today_opt).toStdString(), &date))
            return Fail(QStringLiteral("date invalide : %1").arg(parser.value(today_opt)));
        host::SetFixedToday(date);
    }
    const QString screenshot = parser.value(shot_opt);

    host::ui::QtBackend backend;
    host::ui::SetBackend(&backend);

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    const QString out = OutputFolder(parser.value(out_opt), !offscreen && screenshot.isEmpty());
    if (!UseOutputFolder(out))
        return Fail(QStringLiteral("impossible de créer le dossier des rapports %1").arg(out));

    QString error;
    std::unique_ptr<GenDB> db = OpenPractice(parser.value(db_opt), parser.value(size_opt), &error);
    if (!db) return Fail(error);
    QDSApplication app(db.get());
    app.LoadPracticeSettings();
    if (parser.isSet(special_opt)) app.special_version = parser.value(special_opt).toInt();
    if (parser.isSet(rights_opt)) {
        std::set<int> rights;
        if (!ParseRights(parser.value(rights_opt), &rights))
            return Fail(
                QStringLiteral("liste de droits invalide : %1").arg(parser.value(rights_opt)));
        app.SetRights(rights);
    }
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);

    std::string why;
    auto module = host::ui::ModuleLibrary::Load(host::ui::DefaultModulePath(), &why);
    if (!module) return Fail(QStringLiteral("module : %1").arg(Q(why)));
    QDSDllHandler* handler = module->Handler();
    if (!handler) return Fail(QStringLiteral("le module ne s'est pas initialisé"));

    int rc = 0;
    {
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("Cabinet dentaire - %1").arg(Q(db->dsn())));
        auto* area = new QMdiArea(&window);
        area->setBackground(QColor(96, 110, 128));
        window.setCentralWidget(area);

        // The model of the host's frame; its MDI client is shown by the area.
        TMDIFrame frame("Cabinet dentaire");
        frame.Create();
        backend.BindMdiClient(frame.GetMDIClient(), area);
        host::ui::SetMainWindow(&frame);

        QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Fichier"));
        file->addAction(QStringLiteral("&Quitter"), &window, &QWidget::close);
        QMenu* reports = window.menuBar()->addMenu(QStringLiteral("&Rapports"));
        reports->addAction(QStringLiteral("&Gestionnaire de Rapports"), &window,
                           [handler] { handler->HandleCommand(20115); });
        // The module's reports that the host application opens itself (the quick
        // receivable list), each under its dialog's caption.
        using CatalogFn = const reports::CatalogData* (*)();
        auto catalog_fn = reinterpret_cast<CatalogFn>(module->Symbol("RapportsCatalog"));
        const reports::CatalogData* catalog = catalog_fn ? catalog_fn() : nullptr;
        reports::ReportInfo info;
        for (size_t i = 0; catalog && i < catalog->report_count(); ++i) {
            if (!catalog->report_at(i, &info) || info.command != 0) continue;
            const std::string key = info.key;
            reports->addAction(Q(info.caption), &window, [catalog, key, &frame, &launcher] {
                catalog->open_report(key.c_str(), &frame, &launcher, 0);
            });
        }
        // The view menu of the active MDI child (the Reports Manager's "Miniatures" and
        // "Liste"), with its check marks asked from the child as the menu opens.
        QMenu* view = window.menuBar()->addMenu(QStringLiteral("&Affichage"));
        auto active_child = [&backend, area]() -> TFrameWindow* {
            return backend.MdiChildFor(area->activeSubWindow());
        };
        QObject::connect(view, &QMenu::aboutToShow, view, [view, active_child] {
            view->clear();
            TFrameWindow* child = active_child();
            if (!child || !child->GetMenuDescr()) {
                view->addAction(QStringLiteral("(aucune fenêtre)"))->setEnabled(false);
                return;
            }
            child->InitMenuPopup();
            for (const TMenuDescr::Item& item : child->GetMenuDescr()->Items()) {
                QAction* action = view->addAction(Q(item.text).remove('&'));
                action->setCheckable(true);
                action->setChecked(item.checked);
                const UINT id = item.id;
                QObject::connect(action, &QAction::triggered, view, [active_child, id] {
                    if (TFrameWindow* c = active_child()) c->SendCommand(id);
                });
            }
        });
        // The status bar: what the last report wrote on the left (menus' tips pass over it
        // and it comes back), the practice and the day for good on the right.
        auto* last_run = new QLabel(&window);
        window.statusBar()->addWidget(last_run, 1);
        window.statusBar()->addPermanentWidget(
            new QLabel(QStringLiteral("Base : %1 - aujourd'hui %2 - rapports dans %3")
                           .arg(Q(db->dsn()), Q(host::FormatDate(ldate_today(), DATE_FMT_LONG)),
                                QDir::toNativeSeparators(Q(host::Env().output_dir))),
                       &window));
        backend.SetStatusSink([last_run](const QString& text) { last_run->setText(text); });
        file->insertAction(file->actions().value(0), [&] {
            auto* choose = new QAction(QStringLiteral("&Dossier des rapports..."), &window);
            QObject::connect(choose, &QAction::triggered, &window, [&window] {
                const QString chosen = QFileDialog::getExistingDirectory(
                    &window, QStringLiteral("Dossier où écrire les rapports"),
                    Q(host::Env().output_dir));
                if (chosen.isEmpty()) return;
                if (!UseOutputFolder(chosen)) {
                    QMessageBox::warning(
                        &window, QStringLiteral("Dossier des rapports"),
                        QStringLiteral("Le dossier %1 ne peut pas être créé.").arg(chosen));
                    return;
                }
                WDIniObj().write_secini(kDesktopSection, kOutputKey, chosen.toUtf8().constData());
            });
            return choose;
        }());

        // The overnight run: at the configured time, once a day, message 4005 to the
        // Reports Manager (opened for it when needed).
        long last_overnight = 0;
        QTimer overnight;
        QObject::connect(&overnight, &QTimer::timeout, &window, [&] {
            SysWDIniObj sys;
            if (!sys.GetOverNightOn() || last_overnight == ldate_today()) return;
            int hour = 0, minute = 0, second = 0;
            host::Now(&hour, &minute, &second);
            char now[8];
            std::snprintf(now, sizeof now, "%02d:%02d", hour, minute);
            if (sys.GetOverNightTime() != now) return;
            last_overnight = ldate_today();
            handler->HandleCommand(20115);
            for (TMDIChild* child : frame.GetMDIClient()->MDIChildren())
                if (child->GetId() == 20115) child->SendMessage(WM_START_OVERNITES, 0, 0);
        });
        overnight.start(20 * 1000);

        const QSize natural(host::ui::DluX(466) + 60, host::ui::DluY(296) + 140);
        window.resize(natural.expandedTo(QSize(900, 660)));
        window.show();

        TWindow* manager = nullptr;
        if (parser.isSet(open_opt) || !screenshot.isEmpty()) {
            handler->HandleCommand(20115);
            TFrameWindow* child = backend.MdiChildFor(area->activeSubWindow());
            if (!child && !area->subWindowList().isEmpty())
                child = backend.MdiChildFor(area->subWindowList().front());
            if (child && parser.value(view_opt) == QLatin1String("list")) child->SendCommand(10122);
            manager = child ? child->GetClientWindow() : nullptr;
            if (manager && parser.isSet(tab_opt))
                if (auto* tabs = manager->ChildAs<TTabControl>(101))
                    tabs->UserSelect(parser.value(tab_opt).toInt());
        }
        auto save = [&rc](QWidget* widget, const QString& png) {
            if (!widget->grab().save(png, "PNG"))
                rc = Fail(QStringLiteral("impossible d'écrire %1").arg(png));
            else
                std::printf("%s\n", png.toUtf8().constData());
        };
        if (!screenshot.isEmpty() && parser.isSet(preview_opt)) {
            // The road of a user: the manager, the entry's criteria dialog, its "Aperçu"; a
            // picture of each ("<name>-dialogue.png", "<name>-apercu.png").
            QString stem = screenshot;
            if (stem.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) stem.chop(4);
            const int command = parser.value(preview_opt).toInt();
            QTimer::singleShot(400, &window, [&, stem, command] {
                save(&window, screenshot);
                if (!manager) {
                    QApplication::quit();
                    return;
                }
                auto* step = new QTimer(&window);
                bool dialog_seen = false;
                QObject::connect(
                    step, &QTimer::timeout, &window, [&, step, stem, dialog_seen]() mutable {
                        QWidget* modal = QApplication::activeModalWidget();
                        if (!modal) return;
                        if (modal->objectName() == QLatin1String("apercu")) {
                            save(modal, stem + "-apercu.png");
                            static_cast<QDialog*>(modal)->reject();
                            return;
                        }
                        if (dialog_seen || qobject_cast<QProgressDialog*>(modal)) {
                            // The preview was shown and closed: close the dialog.
                            if (dialog_seen && !qobject_cast<QProgressDialog*>(modal) &&
                                modal->objectName() != QLatin1String("apercu") &&
                                step->property("done").toBool()) {
                                static_cast<QDialog*>(modal)->reject();
                                step->stop();
                            }
                            return;
                        }
                        dialog_seen = true;
                        save(modal, stem + "-dialogue.png");
                        for (QPushButton* b : modal->findChildren<QPushButton*>())
                            if (b->text().remove('&') == QStringLiteral("Aperçu")) {
                                QTimer::singleShot(0, b, [b, step] {
                                    b->click();  // runs the report and its preview
                                    step->setProperty("done", true);
                                });
                                break;
                            }
                    });
                step->start(150);
                manager->SendCommand(static_cast<UINT>(command));
                step->stop();
                QApplication::quit();
            });
        } else if (!screenshot.isEmpty()) {
            QTimer::singleShot(400, &window, [&] {
                save(&window, screenshot);
                QApplication::quit();
            });
        }
        const int loop = QApplication::exec();
        if (rc == 0) rc = loop;
        host::ui::SetMainWindow(nullptr);
        backend.BindMdiClient(nullptr, nullptr);
    }
    module.reset();
    QDSApplication::SetInstance(nullptr);
    host::ui::SetBackend(nullptr);
    return rc;
}
