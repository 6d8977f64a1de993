#include "shell/frmSifter.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "common/Val.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "search/gui/frmOptionen.h"
#include "shell/ShellCommands.h"
#include "shell/WindowHost.h"
#include "shell/frmFunktionen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace ds::shell {

using platform::Dialogs;

frmSifter::frmSifter(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmSifter"));
    setWindowTitle(programTitle());
    settings_ = std::make_unique<SettingsModel>(store_);
    host_ = std::make_unique<WindowHost>(*this);
    run_ = std::make_unique<search::SearchRun>(*host_);

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    mdi = new QMdiArea(central);
    mdi->setObjectName(QStringLiteral("mdi"));
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->viewport()->installEventFilter(this);
    v->addWidget(mdi, 1);

    PicStatusBar = new QFrame(central);
    PicStatusBar->setObjectName(QStringLiteral("PicStatusBar"));
    static_cast<QFrame*>(PicStatusBar)->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(PicStatusBar);
    h->setContentsMargins(4, 2, 4, 2);
    BezStatus = new QLabel(PicStatusBar);
    BezStatus->setObjectName(QStringLiteral("BezStatus"));
    BezStatus->setVisible(false);
    BezStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    BezStatus->setMinimumHeight(fontMetrics().height());
    h->addWidget(BezStatus, 1);
    BefAbbrechen = new QPushButton(QStringLiteral("&Abbrechen"), PicStatusBar);
    BefAbbrechen->setObjectName(QStringLiteral("BefAbbrechen"));
    BefAbbrechen->setVisible(false);
    connect(BefAbbrechen, &QPushButton::clicked, this, [this] {
        BefAbbrechen->setVisible(false);
        befAbbrechenTag = QStringLiteral(" ");
    });
    h->addWidget(BefAbbrechen);
    v->addWidget(PicStatusBar);
    setCentralWidget(central);

    buildMenus();
    resize(twipsToPixels(QSize(12000, 7200)));
}

frmSifter::~frmSifter() = default;

void frmSifter::buildMenus() {
    QMenuBar* bar = menuBar();
    // "&Funktionen"
    QMenu* funktionen = bar->addMenu(QStringLiteral("&Funktionen"));
    M_Haupt[0] = funktionen->menuAction();
    M_Funktion[0] = funktionen->addAction(QStringLiteral("Suchvorgang &starten"));
    connect(M_Funktion[0], &QAction::triggered, this, &frmSifter::RunSearch);
    M_Funktion[1] = funktionen->addSeparator();
    pathListMenu_ = funktionen->addMenu(QStringLiteral("Suchpfad-&Liste"));
    M_Funktion[2] = pathListMenu_->menuAction();
    M_Funktion[2]->setEnabled(false);
    for (int i = 0; i < 20; ++i) {
        M_Pfadliste[i] = pathListMenu_->addAction(QString());
        M_Pfadliste[i]->setObjectName(QStringLiteral("M_Pfadliste%1").arg(i));
        M_Pfadliste[i]->setVisible(i == 0);
        connect(M_Pfadliste[i], &QAction::triggered, this, [this, i] { menuPathList(i); });
    }
    M_Funktion[3] = funktionen->addSeparator();
    M_Funktion[4] = funktionen->addAction(QStringLiteral("Drucker&einrichtung"));
    connect(M_Funktion[4], &QAction::triggered, this, [this] { PrinterSetup(this); });
    M_Funktion[5] = funktionen->addSeparator();
    M_Funktion[6] = funktionen->addAction(QStringLiteral("Programm &beenden"));
    connect(M_Funktion[6], &QAction::triggered, this, &QWidget::close);

    // "&Optionen"
    QMenu* optionen = bar->addMenu(QStringLiteral("&Optionen"));
    M_Haupt[1] = optionen->menuAction();
    ansichtMenu_ = optionen->addMenu(QStringLiteral("&Ansicht"));
    M_Option[0] = ansichtMenu_->menuAction();
    M_OptAnsicht[0] = ansichtMenu_->addAction(QStringLiteral("&Mauszeiger funktional"));
    M_OptAnsicht[0]->setCheckable(true);
    M_OptAnsicht[0]->setChecked(true);
    M_OptAnsicht[0]->setVisible(false);
    M_OptAnsicht[1] = ansichtMenu_->addAction(QStringLiteral("&Statuszeile sichtbar"));
    M_OptAnsicht[1]->setCheckable(true);
    M_OptAnsicht[1]->setChecked(true);
    connect(M_OptAnsicht[1], &QAction::triggered, this,
            [this](bool on) { PicStatusBar->setVisible(on); });
    M_OptAnsicht[2] = ansichtMenu_->addSeparator();
    M_OptAnsicht[3] = ansichtMenu_->addAction(QStringLiteral("&Hintergrundfarbe"));
    connect(M_OptAnsicht[3], &QAction::triggered, this, &frmSifter::chooseBackgroundColour);
    QMenu* fenster = ansichtMenu_->addMenu(QStringLiteral("&Fensteranordnung"));
    M_OptAnsicht[4] = fenster->menuAction();
    const char* variants[] = {"Variante I", "Variante II", "Variante III"};
    for (int i = 0; i < 3; ++i) {
        M_OptFenster[i] = fenster->addAction(QString::fromLatin1(variants[i]));
        M_OptFenster[i]->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + i)));
        M_OptFenster[i]->setShortcutContext(Qt::ApplicationShortcut);
        connect(M_OptFenster[i], &QAction::triggered, this, [this, i] { ArrangeWindows(i); });
    }
    M_Option[1] = optionen->addSeparator();
    QMenu* dateiensuche = optionen->addMenu(QStringLiteral("&Dateiensuche"));
    M_Option[2] = dateiensuche->menuAction();
    QMenu* darstellung = dateiensuche->addMenu(QStringLiteral("&Ergebnisdarstellung"));
    M_OptDateiensuche[0] = darstellung->menuAction();
    M_OptDSformat[0] = darstellung->addAction(QStringLiteral("&Pfad \\ Datei separiert"));
    M_OptDSformat[1] = darstellung->addAction(QStringLiteral("&vollständiger Dateiname"));
    for (int i = 0; i < 2; ++i) {
        M_OptDSformat[i]->setCheckable(true);
        connect(M_OptDSformat[i], &QAction::triggered, this, [this, i] {
            // Exactly one of the two is checked; clicking the checked one changes nothing.
            M_OptDSformat[i]->setChecked(true);
            M_OptDSformat[1 - i]->setChecked(false);
        });
    }
    M_OptDSformat[0]->setChecked(true);
    M_OptDateiensuche[1] = dateiensuche->addAction(QStringLiteral("&Datei-Informationen"));
    M_OptDateiensuche[1]->setCheckable(true);
    M_OptDateiensuche[1]->setChecked(true);
    M_Option[3] = optionen->addSeparator();
    QMenu* allgemein = optionen->addMenu(QStringLiteral("All&gemeines"));
    M_Option[4] = allgemein->menuAction();
    M_OptAllgemein[0] = allgemein->addAction(QStringLiteral("&Unterverzeichnisse einbeziehen"));
    M_OptAllgemein[0]->setCheckable(true);
    M_OptAllgemein[0]->setChecked(true);
    M_OptAllgemein[1] = allgemein->addAction(QStringLiteral("&Suchvorgang als Statuszeile"));
    M_OptAllgemein[1]->setCheckable(true);

    // "&Informationen"
    QMenu* info = bar->addMenu(QStringLiteral("&Informationen"));
    M_Haupt[2] = info->menuAction();
    M_Info[0] = info->addAction(QStringLiteral("&Dokumentation"));
    M_Info[0]->setShortcut(QKeySequence(Qt::Key_F1));
    M_Info[0]->setShortcutContext(Qt::WindowShortcut);
    connect(M_Info[0], &QAction::triggered, this, [this] { OpenDocumentation(*this); });
    M_Info[1] = info->addAction(QStringLiteral("&Systemkonfiguration"));
    connect(M_Info[1], &QAction::triggered, this, [this] { ShowSystemInfo(*this); });
    for (QAction* a : findChildren<QAction*>()) {
        if (a->objectName().isEmpty() && !a->text().isEmpty())
            a->setObjectName(a->text().remove(QLatin1Char('&')));
    }
}

void frmSifter::LoadSettings(const QString& programFolder, const QString& programBaseName) {
    setWindowTitle(programTitle());
    settings_->LoadSettings(programFolder, programBaseName);
    search::frmOptionen* o = optionen();
    o->excludedDrives = settings_->excludedDrives();
    o->loadDrives(settings_->programDriveExcluded());
    run_->walkDrive = platform::driveOfPath(QDir::currentPath());
    updatePathListMenu();
    M_OptAnsicht[0]->setChecked(settings_->view.mouseFunctional);
    M_OptAnsicht[1]->setChecked(settings_->view.statusBarChecked);
    BezStatus->setVisible(settings_->view.statusLabelVisible);
    o->setFolder(settings_->initialFolder());
    // A first start offers the sample data: its folder is chosen, so a first search finds it.
    if (settings_->searchPaths.tag(0).isEmpty() &&
        settings_->initialFolder().endsWith(SettingsModel::sampleFolderName()))
        o->OptPfadWahl[2]->setChecked(true);
}

void frmSifter::updatePathListMenu() {
    const SearchPathList& list = settings_->searchPaths;
    for (int i = 0; i < 20; ++i) {
        const QString tag = list.tag(i);
        M_Pfadliste[i]->setData(tag);
        M_Pfadliste[i]->setText(tag.isEmpty() ? QString()
                                              : FitTextForMenu(tag, PicStatusBar->font()));
        M_Pfadliste[i]->setVisible(i == 0 || !tag.isEmpty());
    }
    M_Funktion[2]->setEnabled(list.enabled());
}

void frmSifter::menuPathList(int index) {
    const QString folder = M_Pfadliste[index]->data().toString();
    if (folder.isEmpty())
        return;
    optionen()->setFolder(folder);
}

ChildForm* frmSifter::addChild(ChildForm* form) {
    QMdiSubWindow* sub =
        mdi->addSubWindow(form, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint);
    sub->setAttribute(Qt::WA_DeleteOnClose, true);
    sub->resize(twipsToPixels(form->designSizeTwips()));
    form->attach(sub);
    sub->hide();
    return form;
}

search::frmOptionen* frmSifter::optionen() {
    if (!optionen_) {
        optionen_ = new search::frmOptionen;
        addChild(optionen_);
        optionen_->popupSearchPathList = [this](const QPoint& at) {
            if (settings_->searchPaths.tag(0).isEmpty())
                return false;
            pathListMenu_->popup(at);
            return true;
        };
        optionen_->chooseFolder = [this] { return ChooseFolder(this); };
    }
    return optionen_;
}

search::frmBegriffe* frmSifter::begriffe() {
    if (!begriffe_) {
        begriffe_ = new search::frmBegriffe;
        addChild(begriffe_);
    }
    return begriffe_;
}

frmFunktionen* frmSifter::funktionen() {
    if (!funktionen_) {
        funktionen_ = new frmFunktionen;
        addChild(funktionen_);
        funktionen_->postCommand = [this](const QString& c) { setKontrollwert(c); };
        funktionen_->unloadMain = [this] { close(); };
    }
    return funktionen_;
}

search::frmStatus* frmSifter::status() {
    if (!status_) {
        status_ = new search::frmStatus;
        addChild(status_);
    }
    return status_;
}

results::frmTabelle* frmSifter::tabelle() {
    if (!tabelle_) {
        tabelle_ = new results::frmTabelle;
        addChild(tabelle_);
        tabelle_->subWindow()->setWindowFlags(Qt::SubWindow);
        tabelle_->subWindow()->resize(twipsToPixels(tabelle_->designSizeTwips()));
        tabelle_->subWindow()->hide();
        tabelle_->mayClose = [this] { return !BefAbbrechen->isVisible(); };
        tabelle_->setStatusText = [this](const QString& t) { SetStatusText(t); };
        tabelle_->centreOver(this);
    }
    return tabelle_;
}

results::frmTabelle* frmSifter::tabelleIfLoaded() const {
    return tabelle_;
}
frmStatusZeile* frmSifter::statusZeileIfLoaded() const {
    return statusZeile_;
}

frmStatusZeile* frmSifter::statusZeile() {
    if (!statusZeile_)
        statusZeile_ = new frmStatusZeile(this);
    return statusZeile_;
}

void frmSifter::UnloadForm(QWidget* window) {
    if (!window)
        return;
    if (auto* child = qobject_cast<ChildForm*>(window); child && child->subWindow()) {
        QMdiSubWindow* sub = child->subWindow();
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        mdi->removeSubWindow(sub);
        delete sub;  // deletes the form with it
        return;
    }
    window->hide();
    window->deleteLater();
}

void frmSifter::SetStatusText(const QString& text) {
    BezStatus->setText(text);
}

void frmSifter::setKontrollwert(const QString& caption) {
    BezKontrollwert = caption;
    const int command = valInt(caption);
    if (command == 1)
        RunSearch();
    else if (command == 2)
        OpenDocumentation(*this);
    BezKontrollwert = QStringLiteral(" ");
}

void frmSifter::RunSearch() {
    run_->RunSearch();
    begriffe()->termListTag = run_->lastTermList;
    begriffe()->excludeTag = run_->lastExcludeText;
}

void frmSifter::setBackgroundColour(int colour) {
    settings_->backgroundColour = colour;
}

void frmSifter::applyBackground() {
    ComposeBackground(*this);
}

void frmSifter::chooseBackgroundColour() {
    const std::optional<int> colour =
        Dialogs::current().chooseColour(this, settings_->backgroundColour);
    if (!colour)
        return;
    mdi->setBackground(QBrush());
    settings_->backgroundColour = *colour;
    applyBackground();
}

void frmSifter::ArrangeWindows(int layout) {
    search::frmOptionen* settingsWindow = optionen();
    frmFunktionen* buttons = funktionen();
    search::frmBegriffe* terms = begriffe();
    search::frmStatus* progress = status();
    auto place = [](ChildForm* f, bool hideFirst, int left, int top) {
        if (hideFirst)
            f->hideForm();
        f->moveTwips(left, top);
        f->showForm();
    };
    if (layout == 0) {
        place(settingsWindow, true, 0, 0);
        place(buttons, false, settingsWindow->widthTwips(), 0);
        place(terms, false, buttons->leftTwips(), buttons->heightTwips());
        progress->moveTwips(0, terms->topTwips());
    } else if (layout == 1) {
        place(buttons, false, 0, 0);
        place(settingsWindow, true, buttons->widthTwips(), 0);
        place(terms, true, 0, buttons->heightTwips());
        progress->moveTwips(settingsWindow->leftTwips(), terms->topTwips());
    } else {
        place(settingsWindow, true, 0, 0);
        place(terms, true, settingsWindow->widthTwips(), 0);
        place(buttons, true, terms->leftTwips(), terms->heightTwips());
        progress->moveTwips(
            0, terms->heightTwips() + buttons->heightTwips() - progress->heightTwips());
    }
}

bool frmSifter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            ansichtMenu_->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmSifter::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
}

bool frmSifter::shutdownAccepted() {
    if (SearchRunning())
        return false;
    if (platform::AskYesNo(QStringLiteral("Möchten Sie die Applikation beenden?"), this) !=
        platform::AnswerYes)
        return false;
    return !SearchRunning();
}

void frmSifter::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if (!shutdownAccepted()) {
        event->ignore();
        return;
    }
    closing_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    hide();
    settings_->view.mouseFunctional = M_OptAnsicht[0]->isChecked();
    settings_->view.statusBarChecked = M_OptAnsicht[1]->isChecked();
    settings_->TransferViewOptions(true);
    settings_->TransferSearchList(true);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    if (statusZeile_)
        UnloadForm(statusZeile_);
    QApplication::restoreOverrideCursor();
    event->accept();
}

}  // namespace ds::shell
