#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace ds {

// Sizes and positions of windows, controls and printouts are kept in twips (1/1440 inch), as
// they were designed; these convert at the screen's logical resolution.
double twipsPerPixel();
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
QSize twipsToPixels(QSize twips);
QPoint twipsToPixels(QPoint twips);

// Text width in twips in a font (screen metrics).
int textWidthTwips(const QString& text, const QFont& font);

// FitText for a menu entry: fits when its width in the status bar's font plus 1000 twips is
// less than the screen width.
QString FitTextForMenu(const QString& text, const QFont& statusBarFont);

// FitText for any other control: fits when its width in the font of the control's window is
// less than the control's width.
QString FitTextForControl(const QString& text, const QWidget* control);

// Centres a window on the screen: left = (screen width - window width) / 2, likewise top.
void CentreForm(QWidget* window);

// Keeps a window above all others (on) or not (off), position and size unchanged.
void SetTopmost(QWidget* window, bool on);

// Colours as red + 256 * green + 65536 * blue; negative numbers are the old system colours.
QColor colourFromNumber(int number);
int numberFromColour(const QColor& colour);

}  // namespace ds
