#include "results/frmSysInfo.h"

#include "common/AppInfo.h"
#include "results/frmPicture.h"
#include "shell/ShellCommands.h"
#include "shell/frmSifter.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QSysInfo>
#include <QVBoxLayout>

namespace ds::results {

namespace {

// The information lines as stored: each character lowered by its position.
constexpr char16_t kLine0[] = {81, 99, 96, 100, 96, 108, 92, 96, 92, 22, 94, 98,
                               19, 54, 82, 100, 84, 87,  82, 90, 11, 95, 87, 76,
                               7,  42, 70, 88,  72, 80,  67, 65, 77, 73, 66, 74};
constexpr char16_t kLine1[] = {67, 95, 113, 97, 105, 92, 90, 102, 98, 91, 99, 20, 106, 87, 99, 84,
                               84, 92, 13,  90, 96,  92, 9,  79,  76, 82, 74, 87, 72,  80, 15};

template <std::size_t N>
QString storedText(const char16_t (&codes)[N]) {
    return QString(reinterpret_cast<const QChar*>(codes), int(N));
}

// The label shows lines; the value text's closing line break would add an empty one.
QString forLabel(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QLabel* makeLabel(QWidget* parent, int index) {
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("BezSysInfo%1").arg(index));
    return l;
}

QFrame* makeLine(QWidget* parent, int index) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("LinSysInfo%1").arg(index));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

frmSysInfo::frmSysInfo(QWidget* parent, const std::optional<platform::SystemFacts>& facts)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSysInfo"));
    setWindowTitle(QStringLiteral("System-Informationen"));

    ImgSysInfo = new QLabel(this);
    ImgSysInfo->setObjectName(QStringLiteral("ImgSysInfo"));
    ImgSysInfo->setPixmap(applicationIcon().pixmap(64, 64));
    ImgSysInfo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    // The title and its copy, the copy a little to the lower right as the title's shadow.
    auto* titleBox = new QWidget(this);
    BezSysInfo[3] = makeLabel(titleBox, 3);
    BezSysInfo[2] = makeLabel(titleBox, 2);
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    for (int i : {2, 3}) {
        BezSysInfo[i]->setFont(titleFont);
        QPalette p = BezSysInfo[i]->palette();
        p.setColor(QPalette::WindowText, i == 2 ? QColor(0, 0, 128) : QColor(160, 160, 160));
        BezSysInfo[i]->setPalette(p);
    }
    for (int i = 4; i < 7; ++i)
        BezSysInfo[i] = makeLabel(this, i);
    QFont bold = BezSysInfo[4]->font();
    bold.setBold(true);
    BezSysInfo[4]->setFont(bold);
    BezSysInfo[0] = makeLabel(this, 0);
    BezSysInfo[1] = makeLabel(this, 1);
    BezSysInfo[1]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LinSysInfo[0] = makeLine(this, 0);
    LinSysInfo[1] = makeLine(this, 1);
    BefEnde = new QPushButton(QStringLiteral("&OK"), this);
    BefEnde->setObjectName(QStringLiteral("BefEnde"));
    BefEnde->setDefault(true);
    connect(BefEnde, &QPushButton::clicked, this, &QDialog::accept);

    load(facts ? *facts : platform::querySystemFacts());

    // The title box takes the size of the title plus the shadow's offset.
    const QSize title = BezSysInfo[2]->sizeHint();
    BezSysInfo[2]->setGeometry(QRect(QPoint(0, 0), title));
    BezSysInfo[3]->setGeometry(QRect(QPoint(2, 2), title));
    titleBox->setFixedSize(title + QSize(2, 2));

    auto* head = new QVBoxLayout;
    head->setSpacing(2);
    head->addWidget(titleBox);
    head->addWidget(BezSysInfo[4]);
    head->addSpacing(6);
    head->addWidget(BezSysInfo[5]);
    head->addWidget(BezSysInfo[6]);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(ImgSysInfo, 0, Qt::AlignTop);
    top->addLayout(head, 1);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(16);
    columns->addWidget(BezSysInfo[0], 0, Qt::AlignTop);
    columns->addWidget(BezSysInfo[1], 1, Qt::AlignTop);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BefEnde);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(16, 16, 16, 12);
    v->addLayout(top);
    v->addWidget(LinSysInfo[0]);
    v->addLayout(columns);
    v->addWidget(LinSysInfo[1]);
    v->addLayout(bottom);
    v->setSizeConstraint(QLayout::SetFixedSize);
}

QString frmSysInfo::versionLine(int major, int minor, int bits) {
    return QStringLiteral("Version") + QLatin1Char(' ') + QString::number(major) +
           QLatin1Char('.') + QString::number(minor) + QStringLiteral(" [") +
           QString::number(bits) + QStringLiteral(" Bit]");
}

QString frmSysInfo::Unscramble(const QString& text) {
    QString out = text;
    for (int i = 0; i < out.size(); ++i)
        out[i] = QChar(char16_t(out[i].unicode() + i + 1));
    return out;
}

QString frmSysInfo::informationLine(int index) {
    return Unscramble(index == 0 ? storedText(kLine0) : storedText(kLine1));
}

void frmSysInfo::load(const platform::SystemFacts& facts) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BezSysInfo[2]->setText(programTitle());
    BezSysInfo[3]->setText(BezSysInfo[2]->text());
    BezSysInfo[4]->setText(versionLine(versionMajor(), versionMinor(), QSysInfo::WordSize));
    BezSysInfo[5]->setText(informationLine(0));
    BezSysInfo[6]->setText(informationLine(1));
    BezSysInfo[0]->setText(forLabel(platform::systemInfoNames()));
    BezSysInfo[1]->setText(
        forLabel(platform::systemInfoValues(facts, QLocale::system().groupSeparator())));
    QApplication::restoreOverrideCursor();
}

}  // namespace ds::results

namespace ds::shell {

void ShowSystemInfo(frmSifter& main) {
    results::frmSysInfo window(&main);
    window.exec();
}

}  // namespace ds::shell
