#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>

namespace ds::results {

// Never shown: the off-screen canvas that composes the main window's background from the
// background colour and the logo at the lower left corner.
class frmPicture {
  public:
    // The logo. Its yellow pixels (RGB 255, 255, 0) are transparent.
    static QImage ImgPicture();
    static QColor transparentColour() { return QColor(255, 255, 0); }

    // A canvas of the given size in the background colour with the logo drawn at its lower left
    // corner (partly above the top edge when the canvas is lower than the logo); the logo's
    // yellow pixels keep the background.
    static QImage compose(QSize canvas, const QColor& background, const QImage& logo);
};

// The program's icon (the logo's motif, for window captions and the desktop).
QIcon applicationIcon();

}  // namespace ds::results
