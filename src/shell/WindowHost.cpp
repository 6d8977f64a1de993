#include "shell/WindowHost.h"

#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "search/gui/frmOptionen.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"
#include "viewer/PasswordPrompt.h"

#include <QApplication>
#include <QMdiSubWindow>

namespace ds::shell {

using search::ProgressLabel;

search::SearchCriteria WindowHost::criteria() {
    search::SearchCriteria c;
    search::frmOptionen* o = main_.optionen();
    search::frmBegriffe* b = main_.begriffe();
    c.textSearch = o->OptDatensuche[1]->isChecked();
    c.modeCaption = c.textSearch ? o->OptDatensuche[1]->text() : o->OptDatensuche[0]->text();
    c.formatIndex = o->formatIndex();
    c.pathChoice = o->OptPfadWahl[1]->isChecked()   ? search::SearchCriteria::PathChoice::AllDrives
                   : o->OptPfadWahl[2]->isChecked() ? search::SearchCriteria::PathChoice::Folder
                                                    : search::SearchCriteria::PathChoice::Drive;
    c.driveEntry = o->currentDriveEntry();
    c.folder = o->folderTag();
    c.excludedDrives = o->excludedDrives;
    c.termsText = b->termsText();
    c.excludeText = b->TxtSuchbegriffe1->text();
    c.matchCase = b->KtrGrossKlein->isChecked();
    c.allTerms = b->KtrVerknuepfung->isChecked();
    c.excludeChecked = b->KtrSuchbegriffAusschluss->isChecked();
    c.includeSubfolders = main_.M_OptAllgemein[0]->isChecked();
    c.statusLineMode = main_.M_OptAllgemein[1]->isChecked();
    c.fullNames = main_.M_OptDSformat[1]->isChecked();
    c.fileInfo = main_.M_OptDateiensuche[1]->isChecked();
    return c;
}

void WindowHost::discardResults() {
    main_.UnloadForm(main_.tabelleIfLoaded());
}

void WindowHost::prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                                const QList<search::ColumnSpec>& columns) {
    results::frmTabelle* t = main_.tabelle();
    t->tag = layoutTag;
    t->BezConnectTag = connect;
    t->BezConnectCaption = QString::number(formatIndex);
    results::FlexGrid* g = t->GrdErgebnis;
    g->setCols(int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        g->setCellText(0, c, columns[c].heading);
        g->setColWidthTwips(c, columns[c].widthTwips);
        g->setColAlignment(c, columns[c].alignment);
    }
}

void WindowHost::appendRow(const QString& row) {
    main_.tabelle()->GrdErgebnis->AddItem(row);
}

void WindowHost::showResults() {
    flushRecordProgress();
    results::frmTabelle* t = main_.tabelle();
    t->showForm();
    t->subWindow()->setFocus();
    t->GrdErgebnis->setFocus();
}

void WindowHost::setStatusText(const QString& text) {
    main_.SetStatusText(text);
}

void WindowHost::showProgressWindow(bool visible) {
    if (visible)
        main_.status()->showForm();
    else
        main_.status()->hideForm();
}

void WindowHost::setProgressText(ProgressLabel label, const QString& text) {
    main_.status()->setLabel(int(label), text);
}

void WindowHost::setProgressLabelVisible(ProgressLabel label, bool visible) {
    main_.status()->BezStatus[int(label)]->setVisible(visible);
}

void WindowHost::setRecordProgress(std::int64_t record, int percent) {
    // Written to the labels when the window system gets its next turn.
    pendingRecord_ = record;
    pendingPercent_ = percent;
}

void WindowHost::flushRecordProgress() {
    if (pendingRecord_ < 0)
        return;
    search::frmStatus* s = main_.status();
    s->setLabel(int(ProgressLabel::Record), QString::number(pendingRecord_));
    s->setLabel(int(ProgressLabel::Percent), QString::number(pendingPercent_) + QLatin1Char('%'));
    pendingRecord_ = -1;
}

void WindowHost::showStatusLine(bool visible) {
    if (visible) {
        main_.hide();
        main_.statusZeile()->load();
    } else {
        main_.UnloadForm(main_.statusZeileIfLoaded());
        main_.show();
    }
}

void WindowHost::setStatusLineText(int index, const QString& text) {
    if (frmStatusZeile* z = main_.statusZeileIfLoaded())
        z->setLabel(index, text);
}

void WindowHost::lockUserInterface(bool locked) {
    frmFunktionen* f = main_.funktionen();
    if (locked) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        f->BefFunktion[2]->setText(QStringLiteral("&Abbrechen"));
        f->tag[2] = QStringLiteral(" ");
        f->BefFunktion[2]->setCursor(Qt::ArrowCursor);
        f->BefFunktion[0]->setEnabled(false);
    } else {
        f->BefFunktion[2]->setText(QStringLiteral("&Ende"));
        f->tag[2].clear();
        f->BefFunktion[2]->unsetCursor();
        f->tag[0].clear();
        f->BefFunktion[0]->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    main_.optionen()->setFormEnabled(!locked);
    main_.begriffe()->setFormEnabled(!locked);
    main_.M_Haupt[0]->setEnabled(!locked);
    main_.M_Haupt[1]->setEnabled(!locked);
}

void WindowHost::yield() {
    if (sinceYield_.elapsed() < 10)
        return;
    flushRecordProgress();
    QApplication::processEvents();
    sinceYield_.restart();
}

bool WindowHost::stopRequested() {
    return main_.funktionen()->stopRequested();
}

void WindowHost::clearStopRequest() {
    main_.funktionen()->tag[0].clear();
}

int WindowHost::message(const QString& text, platform::Icon icon) {
    return platform::showMessage(text, icon, QString(), &main_);
}

QString WindowHost::askPassword(const QString&) {
    return viewer::AskPassword(&main_);
}

void WindowHost::addSearchFolder(const QString& folder) {
    main_.settings().AddSearchFolder(folder);
    main_.updatePathListMenu();
}

}  // namespace ds::shell
