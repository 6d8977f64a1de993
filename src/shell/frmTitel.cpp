#include "shell/frmTitel.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QPainterPath>
#include <QThread>
#include <QWindow>

#include <algorithm>

namespace ds::shell {

namespace {

// The run time's number-to-text conversion: a blank in place of the sign of a non-negative
// number.
QString numberText(int n) {
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

struct LabelDesign {
    int left, top, width, height;
    QColor colour;
    double points;
};

}  // namespace

frmTitel::frmTitel(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmTitel"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(twipsToPixels(QSize(kWidthTwips, kHeightTwips)));
    // Beneath the gradient's last pixels, should the height not divide into 70 bands.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    const LabelDesign designs[3] = {
        {345, 1185, 6750, 585, QColor(255, 255, 0), 18},
        {405, 1230, 6750, 585, QColor(0, 0, 0), 18},  // the shadow of label 0
        {2655, 2535, 2160, 330, QColor(0, 0, 192), 13.5},
    };
    for (int i = 0; i < 3; ++i) {
        const LabelDesign& d = designs[i];
        BezTitel[i] = new QLabel(this);
        BezTitel[i]->setObjectName(QStringLiteral("BezTitel%1").arg(i));
        BezTitel[i]->setGeometry(twipsToPixels(d.left), twipsToPixels(d.top),
                                 twipsToPixels(d.width), twipsToPixels(d.height));
        BezTitel[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        BezTitel[i]->setAttribute(Qt::WA_TranslucentBackground);
        QPalette p = BezTitel[i]->palette();
        p.setColor(QPalette::WindowText, d.colour);
        BezTitel[i]->setPalette(p);
        QFont font = BezTitel[i]->font();
        font.setPointSizeF(d.points);
        font.setBold(true);
        BezTitel[i]->setFont(font);
    }
    // The shadow lies behind the title.
    BezTitel[1]->lower();
}

QString frmTitel::versionText(int major, int minor) {
    return QStringLiteral("Version") + numberText(major) + QLatin1Char('.') +
           QString::number(minor);
}

std::vector<frmTitel::Band> frmTitel::gradientBands(int innerHeight) {
    const int bandHeight = std::max(0, innerHeight) / 70;
    std::vector<Band> bands;
    bands.reserve(70);
    int top = 0;
    int blue = 128;
    for (int i = 0; i < 70; ++i) {
        bands.push_back({top, bandHeight, std::max(0, blue)});
        blue -= 2;
        top += bandHeight;
    }
    return bands;
}

QRegion frmTitel::roundedRegion(QSize pixels) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, pixels.width(), pixels.height()), 10, 10);
    return QRegion(path.toFillPolygon().toPolygon());
}

bool frmTitel::load(SingleInstance& instance) {
    const QString title = programTitle();
    if (!instance.tryBecomeFirst()) {
        platform::showMessage(title + QStringLiteral(" ist schon aktiv!"),
                              platform::Icon::Information);
        instance.activateFirst();
        return false;
    }
    const QString version = versionText(versionMajor(), versionMinor());
    for (int i = 0; i < 3; ++i) {
        QFont font = BezTitel[i]->font();
        font.setFamily(QStringLiteral("Times New Roman"));
        BezTitel[i]->setFont(font);
        BezTitel[i]->setText(i < 2 ? title : version);
    }
    setMask(roundedRegion(size()));
    CentreForm(this);
    show();
    // Painted before the start-up goes on: on some window systems the window can only be drawn
    // once it is mapped, which takes more than one pass of the event queue.
    QDeadlineTimer mapped(500);
    while (windowHandle() && !windowHandle()->isExposed() && !mapped.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    repaint();
    QApplication::processEvents();
    return true;
}

void frmTitel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int width = rect().width();
    for (const Band& b : gradientBands(rect().height())) {
        if (b.height > 0)
            p.fillRect(QRect(0, b.top, width, b.height), QColor(0, 0, b.blue));
    }
}

}  // namespace ds::shell
