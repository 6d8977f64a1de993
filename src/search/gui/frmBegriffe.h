#pragma once

#include "shell/ChildForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace ds::search {

// "Suchbegriffe": one search term per line, the three check boxes and the exclusion text.
class frmBegriffe : public shell::ChildForm {
    Q_OBJECT
  public:
    explicit frmBegriffe(QWidget* parent = nullptr);

    QPlainTextEdit* TxtSuchbegriffe0 = nullptr;
    QLineEdit* TxtSuchbegriffe1 = nullptr;
    QCheckBox* KtrGrossKlein = nullptr;
    QCheckBox* KtrVerknuepfung = nullptr;
    QCheckBox* KtrSuchbegriffAusschluss = nullptr;

    // The terms box as the old multi-line box gave it: lines separated by CR LF.
    QString termsText() const;

    // Where the last run left its accepted terms (each followed by CR) and its exclusion text.
    QString termListTag;
    QString excludeTag;
};

// "Suchvorgang": the progress labels the run writes.
class frmStatus : public shell::ChildForm {
    Q_OBJECT
  public:
    explicit frmStatus(QWidget* parent = nullptr);

    // Labels 1..11 as the run addresses them (index 0 unused; 3 is "Ordner:").
    QLabel* BezStatus[12] = {};
    void setLabel(int index, const QString& text);
};

}  // namespace ds::search
