#pragma once

#include "platform/SystemInfo.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <optional>

namespace ds::shell {
class frmSifter;
}

namespace ds::results {

// "System-Informationen": the program's title and version and a short report on the computer,
// all computed when the window loads.
class frmSysInfo : public QDialog {
    Q_OBJECT
  public:
    // facts: what to report; by default this computer's, queried now.
    explicit frmSysInfo(QWidget* parent = nullptr,
                        const std::optional<platform::SystemFacts>& facts = std::nullopt);

    QLabel* BezSysInfo[7] = {};
    QLabel* ImgSysInfo = nullptr;
    QFrame* LinSysInfo[2] = {};
    QPushButton* BefEnde = nullptr;

    // "Version 1.2 [64 Bit]": the bit text is the width of this build's addresses.
    static QString versionLine(int major, int minor, int bits);

    // The two information lines are kept scrambled; each character's code is raised by its
    // position (the first by 1) to read them.
    static QString Unscramble(const QString& text);
    static QString informationLine(int index);  // 0 or 1, unscrambled

  private:
    void load(const platform::SystemFacts& facts);
};

}  // namespace ds::results
