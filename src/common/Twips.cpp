#include "common/Twips.h"

#include "common/FitText.h"

#include <QApplication>
#include <QColor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ds {

double twipsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int twipsToPixels(int twips) {
    return int(std::lround(twips / twipsPerPixel()));
}
int pixelsToTwips(int pixels) {
    return int(std::lround(pixels * twipsPerPixel()));
}
QSize twipsToPixels(QSize t) {
    return {twipsToPixels(t.width()), twipsToPixels(t.height())};
}
QPoint twipsToPixels(QPoint t) {
    return {twipsToPixels(t.x()), twipsToPixels(t.y())};
}

int textWidthTwips(const QString& text, const QFont& font) {
    return pixelsToTwips(QFontMetrics(font).horizontalAdvance(text));
}

QString FitTextForMenu(const QString& text, const QFont& statusBarFont) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenTwips = screen ? pixelsToTwips(screen->geometry().width()) : 15360;
    return FitText(text, [&](const QString& t) {
        return textWidthTwips(t, statusBarFont) + 1000 < screenTwips;
    });
}

QString FitTextForControl(const QString& text, const QWidget* control) {
    const QFont font = control->window() ? control->window()->font() : control->font();
    const int width = pixelsToTwips(control->width());
    return FitText(text, [&](const QString& t) { return textWidthTwips(t, font) < width; });
}

void CentreForm(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    const QRect f = window->frameGeometry();
    window->move(s.x() + (s.width() - f.width()) / 2, s.y() + (s.height() - f.height()) / 2);
}

void SetTopmost(QWidget* window, bool on) {
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window->show();
}

QColor colourFromNumber(int number) {
    if (number < 0) {
        // System colours: the low byte is the index of the old system colour table.
        const QPalette p = QApplication::palette();
        switch (number & 0xFF) {
            case 5:  // window background
                return p.color(QPalette::Base);
            case 15:  // button face
                return p.color(QPalette::Button);
            case 12:  // application workspace
            default:
                return p.color(QPalette::Dark);
        }
    }
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

int numberFromColour(const QColor& colour) {
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

}  // namespace ds
