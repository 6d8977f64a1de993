#include "viewer/frmCmnDlg.h"

#include "common/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace ds::viewer {

namespace {

QPointer<frmCmnDlg> g_dialog;

void placeTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                   twipsToPixels(height));
}

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter is handled by the text box alone; the buttons are never the dialog's default.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// The label keeps its designed size: where the system's font is larger than the one it was
// designed for, its text is set a little smaller until every line fits.
void fitLabelFont(QLabel* label) {
    QFont font = label->window()->font();
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    for (;;) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const bool fits = widest <= label->width() &&
                          metrics.lineSpacing() * int(lines.size()) <= label->height();
        if (fits || font.pointSizeF() <= 6.5)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label->setFont(font);
}

}  // namespace

frmCmnDlg& frmCmnDlg::instance(QWidget* owner) {
    QWidget* parent = owner ? owner->window() : nullptr;
    if (!g_dialog) {
        g_dialog = new frmCmnDlg(parent);
    } else if (g_dialog->parentWidget() != parent) {
        g_dialog->setParent(parent, g_dialog->windowFlags());
    }
    return *g_dialog;
}

frmCmnDlg::frmCmnDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmCmnDlg"));
    setModal(true);

    PanQuery = new QWidget(this);
    PanQuery->setObjectName(QStringLiteral("PanQuery"));
    placeTwips(PanQuery, 0, 0, 4335, 1875);
    BezQuery = new QLabel(PanQuery);
    BezQuery->setObjectName(QStringLiteral("BezQuery"));
    BezQuery->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(BezQuery, 300, 225, 3705, 450);
    TxtQuery = new QLineEdit(PanQuery);
    TxtQuery->setObjectName(QStringLiteral("TxtQuery"));
    placeTwips(TxtQuery, 300, 720, 3690, 360);
    TxtQuery->installEventFilter(this);
    ImgQuery = new QLabel(PanQuery);
    ImgQuery->setObjectName(QStringLiteral("ImgQuery"));
    ImgQuery->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(24, 24));
    ImgQuery->setAlignment(Qt::AlignCenter);
    placeTwips(ImgQuery, 1785, 1245, 690, 390);
    BefQuery[0] = makeButton(PanQuery, QString(), QStringLiteral("BefQuery0"));
    placeTwips(BefQuery[0], 2475, 1245, 1500, 390);
    BefQuery[1] = makeButton(PanQuery, QStringLiteral("&Abbrechen"), QStringLiteral("BefQuery1"));
    placeTwips(BefQuery[1], 285, 1245, 1500, 390);
    for (int i = 0; i < 2; ++i)
        connect(BefQuery[i], &QPushButton::clicked, this, [this, i] { queryClicked(i); });
    PanQuery->hide();

    PicAuswahlListe = new QWidget(this);
    PicAuswahlListe->setObjectName(QStringLiteral("PicAuswahlListe"));
    placeTwips(PicAuswahlListe, 0, 0, 5580, 4455);
    BezAuswahlListe[1] = new QLabel(PicAuswahlListe);
    BezAuswahlListe[1]->setObjectName(QStringLiteral("BezAuswahlListe1"));
    placeTwips(BezAuswahlListe[1], 240, 180, 5010, 270);
    BezAuswahlListe[0] = new QLabel(PicAuswahlListe);
    BezAuswahlListe[0]->setObjectName(QStringLiteral("BezAuswahlListe0"));
    BezAuswahlListe[0]->setAutoFillBackground(true);
    QPalette windowColours = BezAuswahlListe[0]->palette();
    windowColours.setColor(QPalette::Window, windowColours.color(QPalette::Base));
    windowColours.setColor(QPalette::WindowText, windowColours.color(QPalette::Text));
    BezAuswahlListe[0]->setPalette(windowColours);
    placeTwips(BezAuswahlListe[0], 240, 570, 5010, 285);
    LstAuswahl = new QListWidget(PicAuswahlListe);
    LstAuswahl->setObjectName(QStringLiteral("LstAuswahl"));
    placeTwips(LstAuswahl, 240, 900, 5010, 2595);
    BefAusWahlListe[0] =
        makeButton(PicAuswahlListe, QStringLiteral("&Abbruch"), QStringLiteral("BefAusWahlListe0"));
    placeTwips(BefAusWahlListe[0], 240, 3735, 1215, 495);
    BefAusWahlListe[1] =
        makeButton(PicAuswahlListe, QStringLiteral("&Weiter"), QStringLiteral("BefAusWahlListe1"));
    placeTwips(BefAusWahlListe[1], 4035, 3735, 1215, 495);
    for (int i = 0; i < 2; ++i)
        connect(BefAusWahlListe[i], &QPushButton::clicked, this,
                [this, i] { selectionClicked(i); });
    // The list's click also follows the keyboard, as the old list box did.
    connect(LstAuswahl, &QListWidget::currentTextChanged, this,
            [this](const QString& text) { BezAuswahlListe[0]->setText(text); });
    connect(LstAuswahl, &QListWidget::itemDoubleClicked, this,
            [this] { BefAusWahlListe[1]->click(); });
    PicAuswahlListe->hide();
}

void frmCmnDlg::ShowPanel(QWidget* panel) {
    // The panel fills the client area; the window system adds the caption bar around it.
    setFixedSize(panel->size());
    CentreForm(this);
    panel->show();
}

bool frmCmnDlg::ShowQueryDialog(QString& text, const QString& title, const QString& prompt) {
    QString shownPrompt = prompt;
    shownPrompt.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    BezQuery->setText(shownPrompt);
    fitLabelFont(BezQuery);
    TxtQuery->clear();
    TxtQuery->setEchoMode(QLineEdit::Password);
    TxtQuery->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    BefQuery[0]->setText(QStringLiteral("&") + QStringLiteral("Ok"));
    setWindowTitle(title);
    if (!text.isEmpty())
        TxtQuery->setText(text);
    befQueryTag[0].clear();
    befQueryTag[1].clear();

    ShowPanel(PanQuery);
    TxtQuery->setFocus();
    exec();

    const bool cancelled = befQueryTag[0].isEmpty();
    if (!cancelled)
        text = TxtQuery->text();
    PanQuery->hide();
    hide();
    TxtQuery->clear();  // no password stays behind
    finishQuestion();
    return cancelled;
}

QString frmCmnDlg::ShowSelectionList(const QString& title, const QString& heading,
                                     bool* cancelled) {
    setWindowTitle(title);
    // Shortened in the middle, the same number of characters on both sides.
    const QFontMetrics metrics(font());
    const int labelWidth = BezAuswahlListe[1]->width();
    QString shown = heading;
    qsizetype n = heading.size() / 2;
    while (metrics.horizontalAdvance(shown) > labelWidth && n > 0) {
        --n;
        shown = heading.left(n) + QStringLiteral("...") + heading.right(n);
    }
    BezAuswahlListe[1]->setText(shown);
    BezAuswahlListe[0]->setText(LstAuswahl->count() > 0 ? LstAuswahl->item(0)->text() : QString());
    if (LstAuswahl->count() > 0) {
        const QSignalBlocker quiet(LstAuswahl);
        LstAuswahl->setCurrentRow(0);
    }
    befAusWahlListeTag[0].clear();
    befAusWahlListeTag[1].clear();

    ShowPanel(PicAuswahlListe);
    LstAuswahl->setFocus();
    exec();

    QString result;
    *cancelled = befAusWahlListeTag[1].isEmpty();
    if (!*cancelled) {
        result = befAusWahlListeTag[1];
        befAusWahlListeTag[1].clear();
    }
    PicAuswahlListe->hide();
    hide();
    LstAuswahl->clear();
    finishQuestion();
    return result;
}

void frmCmnDlg::queryClicked(int index) {
    TxtQuery->setFocus();
    befQueryTag[0].clear();
    befQueryTag[1].clear();
    befQueryTag[index] = QStringLiteral(" ");
    hide();
}

void frmCmnDlg::selectionClicked(int index) {
    befAusWahlListeTag[0].clear();
    befAusWahlListeTag[1].clear();
    hide();
    if (index == 1)
        befAusWahlListeTag[1] = BezAuswahlListe[0]->text();
}

void frmCmnDlg::finishQuestion() {
    if (!unloaded_)
        return;
    // Closed with the close box: the next question gets a fresh window.
    if (g_dialog == this)
        g_dialog = nullptr;
    deleteLater();
}

void frmCmnDlg::closeEvent(QCloseEvent* event) {
    unloaded_ = true;
    befQueryTag[0].clear();
    befQueryTag[1].clear();
    befAusWahlListeTag[0].clear();
    befAusWahlListeTag[1].clear();
    QDialog::closeEvent(event);
}

bool frmCmnDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TxtQuery) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                BefQuery[0]->click();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, TxtQuery, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ds::viewer
