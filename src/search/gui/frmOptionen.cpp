#include "search/gui/frmOptionen.h"

#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"

#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace ds::search {

using namespace ds::platform;

frmOptionen::frmOptionen(QWidget* parent)
    : ChildForm(QStringLiteral("Einstellungen"), QSize(6900, 3150), parent) {
    setObjectName(QStringLiteral("frmOptionen"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);

    FraOptionen[0] = new QGroupBox(QStringLiteral("Suchart"), this);
    OptDatensuche[0] = new QRadioButton(QStringLiteral("&Dateiensuche"), FraOptionen[0]);
    OptDatensuche[1] = new QRadioButton(QStringLiteral("&Textrecherche"), FraOptionen[0]);
    OptDatensuche[1]->setChecked(true);
    auto* v0 = new QVBoxLayout(FraOptionen[0]);
    v0->addWidget(OptDatensuche[0]);
    v0->addWidget(OptDatensuche[1]);

    FraOptionen[1] = new QGroupBox(QStringLiteral("Dateityp"), this);
    CmbDateiTyp = new QComboBox(FraOptionen[1]);
    CmbDateiTyp->setObjectName(QStringLiteral("CmbDateiTyp"));
    for (int k = kFirstFileType; k <= kLastFileType; ++k)
        CmbDateiTyp->addItem(fileTypeListEntry(k), k);
    CmbDateiTyp->setCurrentIndex(0);
    auto* v1 = new QVBoxLayout(FraOptionen[1]);
    v1->addWidget(CmbDateiTyp);

    FraOptionen[2] = new QGroupBox(QStringLiteral("Suchpfad"), this);
    FraOptionen[2]->installEventFilter(this);
    OptPfadWahl[0] = new QRadioButton(optPfadWahl0Tag, FraOptionen[2]);
    OptPfadWahl[0]->setChecked(true);
    CtrlLwrkListe = new QComboBox(FraOptionen[2]);
    CtrlLwrkListe->setObjectName(QStringLiteral("CtrlLwrkListe"));
    OptPfadWahl[1] =
        new QRadioButton(QStringLiteral("&Alle Festplatten-Laufwerke"), FraOptionen[2]);
    OptPfadWahl[2] = new QRadioButton(QStringLiteral("&Ordner:"), FraOptionen[2]);
    for (int i = 0; i < 3; ++i) {
        OptPfadWahl[i]->setObjectName(QStringLiteral("OptPfadWahl%1").arg(i));
        OptPfadWahl[i]->installEventFilter(this);
    }
    OptDatensuche[0]->setObjectName(QStringLiteral("OptDatensuche0"));
    OptDatensuche[1]->setObjectName(QStringLiteral("OptDatensuche1"));
    PanPfadWahl[1] = new QLabel(QStringLiteral("["), FraOptionen[2]);
    PanPfadWahl[0] = new QLabel(FraOptionen[2]);
    PanPfadWahl[0]->setObjectName(QStringLiteral("PanPfadWahl0"));
    PanPfadWahl[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    PanPfadWahl[2] = new QLabel(QStringLiteral("]"), FraOptionen[2]);
    for (QLabel* l : PanPfadWahl)
        l->installEventFilter(this);
    BefPfadwahl = new QPushButton(QStringLiteral("..."), FraOptionen[2]);
    BefPfadwahl->setObjectName(QStringLiteral("BefPfadwahl"));
    BefPfadwahl->setToolTip(QStringLiteral("Wahl des Ordners"));
    BefPfadwahl->setFixedWidth(twipsToPixels(375));

    auto* v2 = new QGridLayout(FraOptionen[2]);
    v2->addWidget(OptPfadWahl[0], 0, 0);
    v2->addWidget(CtrlLwrkListe, 0, 1);
    v2->addWidget(OptPfadWahl[1], 1, 0, 1, 2);
    v2->addWidget(OptPfadWahl[2], 2, 0, 1, 2);
    auto* line = new QHBoxLayout;
    line->setSpacing(1);
    line->addWidget(PanPfadWahl[1]);
    line->addWidget(PanPfadWahl[0], 1);
    line->addWidget(PanPfadWahl[2]);
    line->addWidget(BefPfadwahl);
    v2->addLayout(line, 3, 0, 1, 2);
    v2->setColumnStretch(1, 1);

    grid->addWidget(FraOptionen[0], 0, 0);
    grid->addWidget(FraOptionen[1], 1, 0);
    grid->addWidget(FraOptionen[2], 0, 1, 2, 1);
    grid->setColumnStretch(1, 1);

    connect(CtrlLwrkListe, &QComboBox::activated, this, &frmOptionen::driveListChanged);
    connect(BefPfadwahl, &QPushButton::clicked, this, &frmOptionen::choosePathFolder);
}

void frmOptionen::loadDrives(bool startAtRoot) {
    CtrlLwrkListe->clear();
    const DriveStyle style = driveStyle();
    const QString own = driveOfPath(QDir::currentPath());
    int current = 0;
    for (const DriveInfo& d : listDrives()) {
        // Excluded drives are removed from the list.
        if (style == DriveStyle::Letters ? excludedDrives.contains(d.spec.left(1).toLower())
                                         : isDriveExcluded(d.spec, excludedDrives, style))
            continue;
        CtrlLwrkListe->addItem(driveListEntry(d), d.spec);
        if (!startAtRoot && samePath(d.spec, own))
            current = CtrlLwrkListe->count() - 1;
    }
    CtrlLwrkListe->setCurrentIndex(current);
    driveTag = upperIfCaseless(driveSpecOfEntry(CtrlLwrkListe->currentText()));
    OptPfadWahl[0]->setText(optPfadWahl0Tag + driveTag);
}

void frmOptionen::driveListChanged(int index) {
    if (revertingDrive_)
        return;
    const QString d = driveSpecOfEntry(CtrlLwrkListe->itemText(index));
    auto revert = [&] {
        revertingDrive_ = true;
        for (int i = 0; i < CtrlLwrkListe->count(); ++i) {
            if (samePath(upperIfCaseless(driveSpecOfEntry(CtrlLwrkListe->itemText(i))), driveTag))
                CtrlLwrkListe->setCurrentIndex(i);
        }
        revertingDrive_ = false;
    };
    if (isDriveExcluded(d, excludedDrives, driveStyle())) {
        revert();
        showMessage(QStringLiteral("Der Zugriff auf Laufwerk ") + upperIfCaseless(d) +
                        QStringLiteral("\r\nist nicht möglich!"),
                    Icon::Exclamation, QString(), this);
        return;
    }
    if (FileSystem::probeFolder(withTrailingSeparator(d)) != 0) {
        revert();  // a drive that cannot be read: the previous one stays, no message
        return;
    }
    driveTag = upperIfCaseless(d);
    OptPfadWahl[0]->setText(optPfadWahl0Tag + driveTag);
}

void frmOptionen::setFolder(const QString& folder) {
    folderTag_ = folder;
    PanPfadWahl[0]->setText(FitTextForControl(folder, PanPfadWahl[0]));
    PanPfadWahl[0]->setToolTip(folder);
}

int frmOptionen::formatIndex() const {
    return CmbDateiTyp->currentData().toInt();
}

void frmOptionen::choosePathFolder() {
    const QString folder = chooseFolder ? chooseFolder() : QString();
    if (folder.isEmpty())
        return;
    setFolder(folder);
    OptPfadWahl[2]->setChecked(true);
}

void frmOptionen::resizeEvent(QResizeEvent* event) {
    ChildForm::resizeEvent(event);
    if (!folderTag_.isEmpty())
        PanPfadWahl[0]->setText(FitTextForControl(folderTag_, PanPfadWahl[0]));
}

bool frmOptionen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FraOptionen[2] && event->type() == QEvent::MouseButtonDblClick) {
        // Lifts the exclusions until the program ends; the stored setting stays.
        excludedDrives.clear();
        return true;
    }
    int option = -1;
    for (int i = 0; i < 3; ++i) {
        if (watched == OptPfadWahl[i])
            option = i;
    }
    const bool onLabel =
        watched == PanPfadWahl[0] || watched == PanPfadWahl[1] || watched == PanPfadWahl[2];
    if (onLabel) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            choosePathFolder();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress)
            option = 2;  // forwarded as a press on the folder option
        if (event->type() == QEvent::MouseButtonRelease) {
            OptPfadWahl[2]->setFocus();
            return true;
        }
    }
    if (option >= 0 && event->type() == QEvent::FocusIn)
        CtrlLwrkListe->setVisible(option == 0);
    if (option >= 0 && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (option == 2 && me->button() == Qt::RightButton && popupSearchPathList)
            popupSearchPathList(me->globalPosition().toPoint());
        OptPfadWahl[2]->setChecked(true);
        if (onLabel)
            return true;
    }
    return ChildForm::eventFilter(watched, event);
}

}  // namespace ds::search
