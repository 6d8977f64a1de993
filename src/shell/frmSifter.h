#pragma once

#include "platform/SettingsStore.h"
#include "search/SearchRun.h"
#include "shell/SettingsModel.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace ds::search {
class frmOptionen;
class frmBegriffe;
class frmStatus;
}  // namespace ds::search
namespace ds::results {
class frmTabelle;
}

namespace ds::shell {

class frmFunktionen;
class frmStatusZeile;
class ChildForm;
class WindowHost;

// The main window: an MDI frame with the menu tree, the status bar, the background and the
// shut-down check. Owns the child windows (each created on first use) and the search run.
class frmSifter : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmSifter(QWidget* parent = nullptr);
    ~frmSifter() override;

    // Start-up steps that belong to the main window: settings, size and position.
    void LoadSettings(const QString& programFolder, const QString& programBaseName);

    // Child windows, created on first use.
    search::frmOptionen* optionen();
    search::frmBegriffe* begriffe();
    frmFunktionen* funktionen();
    search::frmStatus* status();
    results::frmTabelle* tabelle();
    results::frmTabelle* tabelleIfLoaded() const;
    frmStatusZeile* statusZeile();
    frmStatusZeile* statusZeileIfLoaded() const;

    // Unloads a window and drops its instance: the next use creates a fresh one.
    void UnloadForm(QWidget* window);

    void SetStatusText(const QString& text);
    // The hidden hand-over label of the button bar: a caption change runs its command.
    void setKontrollwert(const QString& caption);
    void RunSearch();

    void ArrangeWindows(int layout);
    void chooseBackgroundColour();
    void applyBackground();

    // Menus (index as in the old control arrays).
    QAction* M_Haupt[3] = {};
    QAction* M_Funktion[7] = {};
    QAction* M_Pfadliste[20] = {};
    QAction* M_Option[5] = {};
    QAction* M_OptAnsicht[5] = {};
    QAction* M_OptFenster[3] = {};
    QAction* M_OptDateiensuche[2] = {};
    QAction* M_OptDSformat[2] = {};
    QAction* M_OptAllgemein[2] = {};
    QAction* M_Info[2] = {};
    QMenu* pathListMenu() const { return pathListMenu_; }
    QMenu* ansichtMenu() const { return ansichtMenu_; }

    QMdiArea* mdi = nullptr;
    QWidget* PicStatusBar = nullptr;
    QLabel* BezStatus = nullptr;
    QPushButton* BefAbbrechen = nullptr;
    QString befAbbrechenTag;
    QString BezKontrollwert = QStringLiteral(" ");

    bool SearchRunning() const { return run_->SearchRunning; }
    search::SearchRun& searchRun() { return *run_; }
    SettingsModel& settings() { return *settings_; }
    platform::SettingsStore& settingsStore() { return store_; }
    int backgroundColour() const { return settings_->backgroundColour; }
    void setBackgroundColour(int colour);

    // Refreshes the search path list menu from the settings model.
    void updatePathListMenu();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildMenus();
    void menuPathList(int index);
    ChildForm* addChild(ChildForm* form);
    bool shutdownAccepted();

    platform::SettingsStore store_;
    std::unique_ptr<SettingsModel> settings_;
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<search::SearchRun> run_;
    QPointer<search::frmOptionen> optionen_;
    QPointer<search::frmBegriffe> begriffe_;
    QPointer<frmFunktionen> funktionen_;
    QPointer<search::frmStatus> status_;
    QPointer<results::frmTabelle> tabelle_;
    QPointer<frmStatusZeile> statusZeile_;
    QMenu* pathListMenu_ = nullptr;
    QMenu* ansichtMenu_ = nullptr;
    bool closing_ = false;
};

}  // namespace ds::shell
