#include "shell/frmFunktionen.h"

#include "common/Twips.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace ds::shell {

frmFunktionen::frmFunktionen(QWidget* parent)
    : ChildForm(QStringLiteral("Funktionen"), QSize(2700, 1950), parent) {
    setObjectName(QStringLiteral("frmFunktionen"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 6, 8, 6);
    const char* captions[] = {"&Start", "&Informationen", "&Ende"};
    for (int i = 0; i < 3; ++i) {
        BefFunktion[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        BefFunktion[i]->setObjectName(QStringLiteral("BefFunktion%1").arg(i));
        v->addWidget(BefFunktion[i]);
        connect(BefFunktion[i], &QPushButton::clicked, this, [this, i] { click(i); });
    }
}

void frmFunktionen::click(int index) {
    if (index == 0 || index == 1) {
        if (postCommand)
            postCommand(QLatin1Char(' ') + QString::number(index + 1));
        return;
    }
    if (tag[2].isEmpty() && tag[0].isEmpty()) {
        if (unloadMain)
            unloadMain();
        return;
    }
    // A search is running: the button turns back into "&Ende" and passes on the stop request.
    BefFunktion[2]->setText(QStringLiteral("&Ende"));
    tag[0] = tag[2];
    tag[2].clear();
}

frmStatusZeile::frmStatusZeile(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      main_(mainWindow) {
    setObjectName(QStringLiteral("frmStatusZeile"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    PicZuordnung = new QWidget(this);
    PicZuordnung->setAutoFillBackground(true);
    auto* h = new QHBoxLayout(PicZuordnung);
    h->setContentsMargins(twipsToPixels(45), twipsToPixels(45), twipsToPixels(45),
                          twipsToPixels(45));
    ImgMenueSymbol[1] = new QPushButton(PicZuordnung);
    ImgMenueSymbol[1]->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ImgMenueSymbol[1]->setToolTip(QStringLiteral("Statuszeile oben / unten"));
    ImgMenueSymbol[0] = new QPushButton(PicZuordnung);
    ImgMenueSymbol[0]->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
    ImgMenueSymbol[0]->setToolTip(QStringLiteral("Hauptfenster anzeigen"));
    for (int i = 0; i < 2; ++i) {
        ImgMenueSymbol[i]->setObjectName(QStringLiteral("ImgMenueSymbol%1").arg(i));
        ImgMenueSymbol[i]->setFlat(true);
        ImgMenueSymbol[i]->setFixedSize(twipsToPixels(240), twipsToPixels(240));
        connect(ImgMenueSymbol[i], &QPushButton::clicked, this, [this, i] { symbolClicked(i); });
    }
    h->addWidget(ImgMenueSymbol[1]);
    for (int i = 1; i <= 3; ++i) {
        BezZuordnung[i] = new QLabel(PicZuordnung);
        BezZuordnung[i]->setObjectName(QStringLiteral("BezZuordnung%1").arg(i));
    }
    BezZuordnung[3]->setText(QStringLiteral("0"));
    BezZuordnung[1]->setMinimumWidth(twipsToPixels(6090));
    BezZuordnung[2]->setMinimumWidth(twipsToPixels(1530));
    BezZuordnung[3]->setMinimumWidth(twipsToPixels(555));
    h->addWidget(BezZuordnung[1], 4);
    h->addWidget(BezZuordnung[2], 1);
    h->addWidget(BezZuordnung[3]);
    h->addStretch(1);
    h->addWidget(ImgMenueSymbol[0]);
    setFixedHeight(twipsToPixels(240) + 2 * twipsToPixels(45) + 4);
}

void frmStatusZeile::load() {
    SetTopmost(this, true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    setGeometry(s.x(), s.y() + s.height() - height(), s.width(), height());
    show();
}

void frmStatusZeile::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PicZuordnung->setGeometry(0, 0, width(), height());
}

void frmStatusZeile::setLabel(int index, const QString& text) {
    if (index >= 1 && index <= 3)
        BezZuordnung[index]->setText(text);
}

void frmStatusZeile::symbolClicked(int index) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (index == 0) {
        hide();
        if (main_)
            main_->show();
        return;
    }
    if (y() == s.y())
        move(s.x(), s.y() + s.height() - height());
    else
        move(s.x(), s.y());
}

}  // namespace ds::shell
