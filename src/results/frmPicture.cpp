#include "results/frmPicture.h"

#include "common/Twips.h"
#include "shell/ShellCommands.h"
#include "shell/frmSifter.h"

#include <QEvent>
#include <QFont>
#include <QMdiArea>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace ds::results {

namespace {

const QColor kNavy(16, 40, 74);
const QColor kSteel(58, 110, 165);
const QColor kSteelLight(127, 167, 212);
const QColor kGlass(223, 234, 245);
const QColor kRim(32, 32, 32);
const QColor kHandle(107, 62, 30);

// The motif shared by logo and icon: a database drum with a magnifying glass in front of it,
// drawn into a square of side s at the painter's origin.
void drawMotif(QPainter& p, int s) {
    const double u = s / 64.0;
    const QPen outline(kNavy, std::max(1.0, 2 * u));
    // The drum: body, bottom and top ellipse, two disc lines.
    p.setPen(outline);
    p.setBrush(kSteel);
    p.drawEllipse(QRectF(4 * u, 44 * u, 40 * u, 14 * u));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(4 * u, 12 * u, 40 * u, 39 * u));
    p.setPen(outline);
    p.drawLine(QPointF(4 * u, 12 * u), QPointF(4 * u, 51 * u));
    p.drawLine(QPointF(44 * u, 12 * u), QPointF(44 * u, 51 * u));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4 * u, 18 * u, 40 * u, 14 * u), 180 * 16, 180 * 16);
    p.drawArc(QRectF(4 * u, 31 * u, 40 * u, 14 * u), 180 * 16, 180 * 16);
    p.setBrush(kSteelLight);
    p.drawEllipse(QRectF(4 * u, 5 * u, 40 * u, 14 * u));
    // The magnifying glass over the drum's lower right.
    p.setPen(QPen(kHandle, 7 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48 * u, 48 * u), QPointF(60 * u, 60 * u));
    p.setPen(QPen(kRim, 4 * u));
    p.setBrush(kGlass);
    p.drawEllipse(QPointF(38 * u, 38 * u), 13 * u, 13 * u);
    // Three lines of "records" seen through the glass.
    p.setPen(QPen(kSteel, std::max(1.0, 2 * u)));
    for (int i = 0; i < 3; ++i) {
        const double y = (33 + 5 * i) * u;
        p.drawLine(QPointF(31 * u, y), QPointF((i == 1 ? 42 : 46) * u, y));
    }
}

QImage drawLogo() {
    // Hard edges only: a blended edge pixel would neither be yellow nor the logo's colour.
    QImage logo(248, 80, QImage::Format_RGB32);
    logo.fill(frmPicture::transparentColour());
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.translate(6, 8);
    drawMotif(p, 64);
    p.resetTransform();
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(30);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    const QRect textBox(80, 14, 166, 40);
    p.setPen(kNavy);
    p.drawText(textBox.translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("DataSifter"));
    p.setPen(Qt::white);
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("DataSifter"));
    QFont small(QStringLiteral("MS Sans Serif"));
    small.setPixelSize(11);
    small.setStyleStrategy(QFont::NoAntialias);
    p.setFont(small);
    p.setPen(kNavy);
    p.drawText(QRect(82, 52, 166, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Datenbanken-Recherche"));
    return logo;
}

// Redraws the background whenever the main window's client area changes its size: the logo
// stays at the lower left and the picture covers the whole area.
class BackgroundWatcher : public QObject {
  public:
    BackgroundWatcher(shell::frmSifter& main, QObject* parent) : QObject(parent), main_(main) {
        setObjectName(QStringLiteral("backgroundWatcher"));
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            shell::ComposeBackground(main_);
        return QObject::eventFilter(watched, event);
    }

  private:
    shell::frmSifter& main_;
};

}  // namespace

QImage frmPicture::ImgPicture() {
    static const QImage logo = drawLogo();
    return logo;
}

QImage frmPicture::compose(QSize canvas, const QColor& background, const QImage& logo) {
    QImage out(canvas.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    out.fill(background);
    if (logo.isNull())
        return out;
    QImage keyed = logo.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparentColour().rgb() & RGB_MASK;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    QPainter p(&out);
    p.drawImage(QPoint(0, out.height() - keyed.height()), keyed);
    return out;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        drawMotif(p, side);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace ds::results

namespace ds::shell {

void ComposeBackground(frmSifter& main) {
    QWidget* area = main.mdi->viewport();
    const QImage picture = results::frmPicture::compose(
        area->size(), colourFromNumber(main.backgroundColour()), results::frmPicture::ImgPicture());
    main.mdi->setBackground(QBrush(picture));
    if (!area->findChild<QObject*>(QStringLiteral("backgroundWatcher"), Qt::FindDirectChildrenOnly))
        area->installEventFilter(new results::BackgroundWatcher(main, area));
}

}  // namespace ds::shell
