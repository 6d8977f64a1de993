#include "search/gui/frmBegriffe.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ds::search {

frmBegriffe::frmBegriffe(QWidget* parent)
    : ChildForm(QStringLiteral("Suchbegriffe"), QSize(4200, 3300), parent) {
    setObjectName(QStringLiteral("frmBegriffe"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(3);
    TxtSuchbegriffe0 = new QPlainTextEdit(this);
    TxtSuchbegriffe0->setObjectName(QStringLiteral("TxtSuchbegriffe0"));
    TxtSuchbegriffe0->setTabChangesFocus(true);
    TxtSuchbegriffe0->setLineWrapMode(QPlainTextEdit::NoWrap);
    KtrGrossKlein = new QCheckBox(QStringLiteral("Groß-/Kleinschreibung beachten"), this);
    KtrVerknuepfung = new QCheckBox(QStringLiteral("alle Begriffe müssen vorkommen"), this);
    KtrSuchbegriffAusschluss = new QCheckBox(QStringLiteral("aussortieren, wenn enthalten:"), this);
    TxtSuchbegriffe1 = new QLineEdit(this);
    TxtSuchbegriffe1->setObjectName(QStringLiteral("TxtSuchbegriffe1"));
    KtrGrossKlein->setObjectName(QStringLiteral("KtrGrossKlein"));
    KtrVerknuepfung->setObjectName(QStringLiteral("KtrVerknuepfung"));
    KtrSuchbegriffAusschluss->setObjectName(QStringLiteral("KtrSuchbegriffAusschluss"));
    v->addWidget(TxtSuchbegriffe0, 1);
    v->addWidget(KtrGrossKlein);
    v->addWidget(KtrVerknuepfung);
    v->addWidget(KtrSuchbegriffAusschluss);
    v->addWidget(TxtSuchbegriffe1);
}

QString frmBegriffe::termsText() const {
    QString text = TxtSuchbegriffe0->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

frmStatus::frmStatus(QWidget* parent)
    : ChildForm(QStringLiteral("Suchvorgang"), QSize(6900, 1950), parent) {
    setObjectName(QStringLiteral("frmStatus"));
    for (int i = 1; i <= 11; ++i) {
        BezStatus[i] = new QLabel(this);
        BezStatus[i]->setObjectName(QStringLiteral("BezStatus%1").arg(i));
    }
    BezStatus[1]->setText(QStringLiteral("Fundstellen:"));
    BezStatus[2]->setText(QStringLiteral("0"));
    BezStatus[3]->setText(QStringLiteral("Ordner:"));
    BezStatus[5]->setText(QStringLiteral("Dateiname:"));
    BezStatus[8]->setText(QStringLiteral("Bytes"));
    BezStatus[10]->setText(QStringLiteral("Datensatz-Position:"));
    BezStatus[4]->setWordWrap(true);
    BezStatus[4]->setMinimumHeight(2 * fontMetrics().height());
    BezStatus[4]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BezStatus[4]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    BezStatus[6]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (int i : {2, 7, 9, 11})
        BezStatus[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* g = new QGridLayout(this);
    g->setContentsMargins(8, 6, 8, 6);
    g->setVerticalSpacing(2);
    g->addWidget(BezStatus[1], 0, 2);
    g->addWidget(BezStatus[2], 0, 3);
    g->addWidget(BezStatus[3], 1, 0);
    g->addWidget(BezStatus[4], 2, 0, 1, 4);
    g->addWidget(BezStatus[5], 3, 0);
    g->addWidget(BezStatus[6], 3, 1, 1, 3);
    auto* sizeLine = new QHBoxLayout;
    sizeLine->setSpacing(4);
    sizeLine->addWidget(BezStatus[7]);
    sizeLine->addWidget(BezStatus[8]);
    sizeLine->addStretch(1);
    g->addLayout(sizeLine, 4, 0, 1, 2);
    g->addWidget(BezStatus[10], 5, 0);
    g->addWidget(BezStatus[11], 5, 1);
    g->addWidget(BezStatus[9], 5, 3);
    g->setColumnStretch(1, 1);
}

void frmStatus::setLabel(int index, const QString& text) {
    if (index < 1 || index > 11)
        return;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    BezStatus[index]->setText(shown);
}

}  // namespace ds::search
