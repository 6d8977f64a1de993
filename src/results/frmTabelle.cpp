#include "results/frmTabelle.h"

#include "common/ResultLayout.h"
#include "common/Twips.h"
#include "results/ResultCommands.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include <cmath>

namespace ds::results {

frmTabelle::frmTabelle(QWidget* parent)
    : ChildForm(QStringLiteral("Ergebnis"), QSize(9600, 5400), parent) {
    setObjectName(QStringLiteral("frmTabelle"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    menuBar = new QMenuBar(this);
    v->setMenuBar(menuBar);
    GrdErgebnis = new FlexGrid(this);
    GrdErgebnis->setObjectName(QStringLiteral("GrdErgebnis"));
    GrdErgebnis->setGridFont(QStringLiteral("MS Sans Serif"), false, 8.25);
    v->addWidget(GrdErgebnis);

    QMenu* ergebnis = menuBar->addMenu(QStringLiteral("&Ergebnis"));
    M_Haupt[0] = ergebnis->menuAction();
    const char* items[] = {"Export &Zwischenablage",
                           "Export &Reportdatei",
                           "Export &Drucker",
                           "-",
                           "Drucker&einrichtung",
                           "-",
                           "&Schließen"};
    for (int i = 0; i < 7; ++i) {
        if (QString::fromUtf8(items[i]) == QLatin1String("-")) {
            M_Tabelle[i] = ergebnis->addSeparator();
            continue;
        }
        M_Tabelle[i] = ergebnis->addAction(QString::fromUtf8(items[i]));
        M_Tabelle[i]->setObjectName(QStringLiteral("M_Tabelle%1").arg(i));
        connect(M_Tabelle[i], &QAction::triggered, this, [this, i] { menuCommand(i); });
    }
    QMenu* ansicht = menuBar->addMenu(QStringLiteral("&Ansicht"));
    M_Haupt[1] = ansicht->menuAction();
    QMenu* schrift = ansicht->addMenu(QStringLiteral("&Schriftart"));
    M_Ansicht[0] = schrift->menuAction();
    M_Schrift[0] = schrift->addAction(QStringLiteral("MS Sans Serif"));
    M_Schrift[1] = schrift->addAction(QStringLiteral("System"));
    for (int i = 0; i < 2; ++i) {
        M_Schrift[i]->setCheckable(true);
        M_Schrift[i]->setObjectName(QStringLiteral("M_Schrift%1").arg(i));
        connect(M_Schrift[i], &QAction::triggered, this, [this, i] { chooseFont(i); });
    }
    M_Schrift[0]->setChecked(true);
    M_Ansicht[1] = ansicht->addAction(QStringLiteral("&Optimierung"));
    M_Ansicht[1]->setObjectName(QStringLiteral("M_Ansicht1"));
    connect(M_Ansicht[1], &QAction::triggered, this, &frmTabelle::OptimizeColumns);

    connect(GrdErgebnis, &QTableWidget::cellDoubleClicked, this, [this] { OpenHit(); });
    connect(GrdErgebnis, &FlexGrid::enterPressed, this, &frmTabelle::OpenHit);
}

int frmTabelle::resultLayout() const {
    return resultLayoutFromTag(tag);
}

void frmTabelle::menuCommand(int index) {
    switch (index) {
        case 0:
            ExportClipboard(*this);
            break;
        case 1:
            SaveReport(*this);
            break;
        case 2:
            PrintResult(*this);
            break;
        case 4:
            ResultPrinterSetup(*this);
            break;
        case 6:
            if (subWindow())
                subWindow()->close();
            break;
        default:
            break;
    }
}

void frmTabelle::chooseFont(int index) {
    if (checkedFont_ == index) {
        M_Schrift[index]->setChecked(true);  // the action toggled itself off; keep the mark
        return;
    }
    checkedFont_ = index;
    M_Schrift[index]->setChecked(true);
    M_Schrift[index == 0 ? 1 : 0]->setChecked(false);
    QFont f = GrdErgebnis->font();
    f.setFamily(M_Schrift[index]->text());
    if (index == 0) {
        f.setBold(false);
        f.setPointSizeF(8.25);
    }
    GrdErgebnis->setFont(f);
}

void frmTabelle::OptimizeColumns() {
    setCursor(Qt::WaitCursor);
    if (setStatusText)
        setStatusText(QStringLiteral("Optimieren der Spaltenbreiten") + QStringLiteral("..."));
    // Widths are measured in the window's own font, not the grid's current one.
    const QFont measureFont = font();
    GrdErgebnis->setColWidthTwips(
        0, int(std::lround(1.5 * textWidthTwips(QStringLiteral("0"), measureFont))));
    for (int c = 1; c < GrdErgebnis->Cols(); ++c) {
        int maximum = 0;
        for (int r = 0; r < GrdErgebnis->Rows(); ++r) {
            const double w = 1.2 * textWidthTwips(GrdErgebnis->cellText(r, c), measureFont);
            if (w > 32767.0)
                continue;  // out of the old 16-bit range: leaves the maximum as it is
            maximum = std::max(maximum, int(std::lround(w)));
        }
        if (maximum > 0)
            GrdErgebnis->setColWidthTwips(c, maximum);
    }
    if (GrdErgebnis->Rows() > 0 && GrdErgebnis->Cols() > 0)
        GrdErgebnis->setCurrentCell(GrdErgebnis->Rows() - 1, GrdErgebnis->Cols() - 1);
    GrdErgebnis->viewport()->update();
    if (setStatusText)
        setStatusText(QString());
    unsetCursor();
}

void frmTabelle::OpenHit() {
    OpenHitInViewer(*this);
}

void frmTabelle::centreOver(const QWidget* mainWindow) {
    if (!subWindow() || !mainWindow)
        return;
    const int mainW = pixelsToTwips(mainWindow->frameGeometry().width());
    const int mainH = pixelsToTwips(mainWindow->frameGeometry().height());
    moveTwips((mainW - widthTwips()) / 2, (mainH - heightTwips()) / 2);
}

void frmTabelle::showEvent(QShowEvent* event) {
    ChildForm::showEvent(event);
    if (subWindow() && !filterInstalled_) {
        subWindow()->installEventFilter(this);
        filterInstalled_ = true;
    }
}

bool frmTabelle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == subWindow() && event->type() == QEvent::Close) {
        if (mayClose && !mayClose()) {
            event->ignore();
            return true;
        }
    }
    return ChildForm::eventFilter(watched, event);
}

}  // namespace ds::results
