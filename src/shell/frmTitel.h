#pragma once

#include <QLabel>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <vector>

namespace ds::shell {

class SingleInstance;

// The title window shown while the program starts: rounded corners, a blue gradient, the
// program title with a shadow and the version. Its load also refuses a second copy.
class frmTitel : public QWidget {
    Q_OBJECT
  public:
    // Design size in twips.
    static constexpr int kWidthTwips = 7440;
    static constexpr int kHeightTwips = 4200;

    explicit frmTitel(QWidget* parent = nullptr);

    QLabel* BezTitel[3] = {};

    // The load handler. Returns false when another copy of the program runs: that copy has been
    // told so and asked to come to the front, and this one must end. Otherwise the window is
    // shown and painted.
    bool load(SingleInstance& instance);

    // "Version" + the major version with the blank the number-to-text conversion puts before a
    // non-negative number + "." + the minor version: "Version 1.2".
    static QString versionText(int major, int minor);

    // The gradient: 70 bands of inner height \ 70 pixels from the top, blue 128 falling by 2 a
    // band (levels below 0 are painted as 0).
    struct Band {
        int top;
        int height;
        int blue;
    };
    static std::vector<Band> gradientBands(int innerHeight);

    // The window region: a rectangle with corners rounded by ellipses of 20 x 20 pixels.
    static QRegion roundedRegion(QSize pixels);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ds::shell
