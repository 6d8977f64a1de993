// The result window's export commands: clipboard and report file.
#include "common/AppInfo.h"
#include "platform/Dialogs.h"
#include "results/FlexGrid.h"
#include "results/ResultCommands.h"
#include "results/ResultExport.h"
#include "results/WindowExportHost.h"
#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "shell/frmSifter.h"

#include <QApplication>
#include <QClipboard>

namespace ds::results {

using platform::Icon;

shell::frmSifter* mainWindowOf(QWidget* window) {
    if (window) {
        if (auto* main = qobject_cast<shell::frmSifter*>(window->window()))
            return main;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<shell::frmSifter*>(top))
            return main;
    }
    return nullptr;
}

WindowExportHost::WindowExportHost(QWidget* resultWindow, shell::frmSifter* main)
    : window_(resultWindow), main_(main) {}

void WindowExportHost::beginLongOperation() {
    if (window_)
        window_->setCursor(Qt::WaitCursor);
    if (main_) {
        main_->BefAbbrechen->setVisible(true);
        main_->BefAbbrechen->setCursor(Qt::ArrowCursor);
    }
}

void WindowExportHost::endLongOperation() {
    if (main_) {
        main_->BefAbbrechen->setVisible(false);
        main_->BefAbbrechen->unsetCursor();
    }
    if (window_)
        window_->unsetCursor();
}

void WindowExportHost::setStatusText(const QString& text) {
    if (main_)
        main_->SetStatusText(text);
}

void WindowExportHost::processEvents() {
    QCoreApplication::processEvents();
}

bool WindowExportHost::cancelRequested() const {
    return main_ && !main_->befAbbrechenTag.isEmpty();
}

void WindowExportHost::clearCancel() {
    if (main_)
        main_->befAbbrechenTag.clear();
}

GuardedGrid::GuardedGrid(FlexGrid* grid) : grid_(grid) {}
int GuardedGrid::rowCount() const {
    return grid_ ? grid_->rowCount() : 0;
}
int GuardedGrid::columnCount() const {
    return grid_ ? grid_->columnCount() : 0;
}
QString GuardedGrid::cellText(int row, int column) const {
    return grid_ ? grid_->cellText(row, column) : QString();
}

void ExportClipboard(frmTabelle& window) {
    window.setCursor(Qt::WaitCursor);
    QString error;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        const QString text = window.GrdErgebnis->Clip();
        clipboard->clear();
        clipboard->setText(text);
        // The clipboard gives no error of its own; reading back shows whether it took the text.
        if (clipboard->text() != text)
            error = QStringLiteral("Die Zwischenablage hat den Text nicht übernommen.");
    } else {
        error = QStringLiteral("Die Zwischenablage ist nicht verfügbar.");
    }
    window.unsetCursor();
    if (error.isEmpty()) {
        platform::showMessage(QStringLiteral("Markierte Bereiche in der Zwischenablage"),
                              Icon::Information, QString(), &window);
    } else {
        platform::showMessage(QStringLiteral("Nicht genügend Speicher für diesen Vorgang!") +
                                  QStringLiteral("\r\n") + error,
                              Icon::Critical, QString(), &window);
    }
}

void SaveReport(frmTabelle& window) {
    shell::frmSifter* main = mainWindowOf(&window);
    WindowExportHost host(&window, main);
    const int layout = window.resultLayout();
    const QString termList = main && layout < 2 ? main->begriffe()->termListTag : QString();
    runSaveReport(GuardedGrid(window.GrdErgebnis), layout, termList, host);
}

}  // namespace ds::results
