#include "viewer/frmViewRecordSet.h"

#include "common/Twips.h"
#include "common/Val.h"
#include "platform/Dialogs.h"
#include "platform/FileAssociations.h"
#include "platform/Printer.h"
#include "results/FlexGrid.h"
#include "shell/ShellCommands.h"
#include "viewer/DefaultApplication.h"
#include "viewer/StructurePrint.h"
#include "viewer/frmCmnDlg.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace ds::viewer {

namespace {

// Design of the window, in twips.
constexpr int kInnerWidth = 7350;
constexpr int kInnerHeight = 4875;
constexpr int kTitleLeft = 645;
constexpr int kTitleHeight = 255;
constexpr int kButtonWidth = 225;
constexpr int kButtonHeight = 240;
constexpr int kButtonTop = 15;
constexpr int kButtonGap = 30;
constexpr int kLineTop = 270;
constexpr int kLineLeft = 30;
constexpr int kGridLeft = 30;
constexpr int kGridTop = 285;
// The grid's default column width; the layout widens columns 1 and 2 from it.
constexpr int kDefaultColWidth = 720;

}  // namespace

RecordView& viewerFields() {
    static RecordView fields;
    return fields;
}

std::function<void(frmViewRecordSet&)> frmViewRecordSet::modalRunner;

// GrdSource as the viewer's logic writes it.
class frmViewRecordSet::Grid final : public ViewGrid {
  public:
    explicit Grid(results::FlexGrid* g) : g_(g) {}
    int rowCount() const override { return g_->Rows(); }
    int columnCount() const override { return g_->Cols(); }
    QString cellText(int row, int column) const override { return g_->cellText(row, column); }
    void setRows(int rows) override { g_->setRows(rows); }
    void setCols(int cols) override { g_->setCols(cols); }
    void setCell(int row, int column, const QString& text) override {
        g_->setCellText(row, column, text);
    }

  private:
    results::FlexGrid* g_;
};

// The viewer's questions through the input dialog.
class frmViewRecordSet::Prompts final : public ViewerPrompts {
  public:
    explicit Prompts(frmViewRecordSet& viewer) : viewer_(viewer) {}
    std::optional<QString> queryPassword(const QString& title, const QString& prompt) override {
        QString input;
        if (frmCmnDlg::instance(viewer_.dialogOwner()).ShowQueryDialog(input, title, prompt))
            return std::nullopt;
        return input;
    }
    std::optional<QString> chooseFromList(const QString& title, const QString& heading,
                                          const QStringList& entries) override {
        frmCmnDlg& dialog = frmCmnDlg::instance(viewer_.dialogOwner());
        dialog.LstAuswahl->clear();
        dialog.LstAuswahl->addItems(entries);
        bool cancelled = true;
        const QString chosen = dialog.ShowSelectionList(title, heading, &cancelled);
        if (cancelled)
            return std::nullopt;
        return chosen;
    }
    void setBusy(bool busy) override {
        if (busy)
            viewer_.setCursor(Qt::WaitCursor);
        else
            viewer_.unsetCursor();
    }

  private:
    frmViewRecordSet& viewer_;
};

frmViewRecordSet::frmViewRecordSet(RecordView& fields, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
      fields_(fields) {
    setObjectName(QStringLiteral("frmViewRecordSet"));
    setWindowTitle(QStringLiteral("Datenstruktur"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    inner_ = new QWidget(this);
    inner_->setObjectName(QStringLiteral("inner"));
    inner_->installEventFilter(this);
    layout->addWidget(inner_, 1);

    BezViewRecordSet3 = new QLabel(inner_);
    BezViewRecordSet3->setObjectName(QStringLiteral("BezViewRecordSet3"));
    BezViewRecordSet3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const char* captions[] = {"«", "»", "?"};
    const char* tips[] = {"Vorheriger Datensatz", "Nächster Datensatz", "Gehezu..."};
    for (int i = 2; i <= 4; ++i) {
        auto* b = new QToolButton(inner_);
        b->setObjectName(QStringLiteral("BefQuelldatenfelder%1").arg(i));
        b->setText(QString::fromUtf8(captions[i - 2]));
        b->setToolTip(QString::fromUtf8(tips[i - 2]));
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::clicked, this, [this, i] { navigate(i); });
        BefQuelldatenfelder[i] = b;
    }
    Linie = new QFrame(inner_);
    Linie->setObjectName(QStringLiteral("Linie"));
    Linie->setFrameShape(QFrame::HLine);
    Linie->setFrameShadow(QFrame::Sunken);
    GrdSource = new results::FlexGrid(inner_);
    GrdSource->setObjectName(QStringLiteral("GrdSource"));
    GrdSource->viewport()->installEventFilter(this);
    grid_ = std::make_unique<Grid>(GrdSource);
    prompts_ = std::make_unique<Prompts>(*this);

    tabelleMenu = menuBar->addMenu(QStringLiteral("&Tabelle"));
    tabelleMenu->setObjectName(QStringLiteral("M_Haupt0"));
    M_Haupt[0] = tabelleMenu->menuAction();
    const char* items[] = {
        "Kopie in die &Zwischenablage", "-", "Struktur &drucken", "Drucker&einrichtung", "-",
        "Standard&anwendung starten",   "-", "&Schließen"};
    for (int i = 0; i < 8; ++i) {
        const QString caption = QString::fromUtf8(items[i]);
        if (caption == QLatin1String("-")) {
            M_View[i] = tabelleMenu->addSeparator();
            continue;
        }
        M_View[i] = tabelleMenu->addAction(caption);
        M_View[i]->setObjectName(QStringLiteral("M_View%1").arg(i));
        connect(M_View[i], &QAction::triggered, this, [this, i] { menuCommand(i); });
    }
    M_View[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    M_View[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));

    // Window load: five columns, their headings and widths.
    setUpViewGrid(*grid_);
    resize(twipsToPixels(kInnerWidth), twipsToPixels(kInnerHeight) + menuBar->sizeHint().height());
    inner_->resize(twipsToPixels(kInnerWidth), twipsToPixels(kInnerHeight));
    arrangeControls();
    GrdSource->setColWidthTwips(0, kDefaultColWidth);
    GrdSource->setColWidthTwips(1, 3 * kDefaultColWidth);
    GrdSource->setColWidthTwips(2, 2 * kDefaultColWidth);
    GrdSource->setColWidthTwips(3, kDefaultColWidth);
    GrdSource->setColWidthTwips(4, pixelsToTwips(GrdSource->width()) / 2 - 75);
}

frmViewRecordSet::~frmViewRecordSet() {
    fields_.attach(nullptr, nullptr, nullptr);
}

QWidget* frmViewRecordSet::dialogOwner() {
    if (isVisible() || !callerWindow)
        return this;
    return callerWindow;
}

void frmViewRecordSet::setRecordNumberTag(const QString& text) {
    recordTag_ = text;
}
void frmViewRecordSet::setConnectTag(const QString& connect) {
    connectTag_ = connect;
}

void frmViewRecordSet::setFileCaption(const QString& path) {
    fields_.FilePath = path;
    fields_.ConnectPrefix = connectTag_;
}

void frmViewRecordSet::setTableTag(const QString& table) {
    tableTag_ = table;
}

void frmViewRecordSet::setFormatCaption(const QString& format) {
    fields_.TableName = tableTag_;
    fields_.FormatIndex = std::int16_t(std::clamp(valInt(format), -32768, 32767));
    const std::int32_t record = valInt(recordTag_);

    // The title is made before a table is chosen from the list.
    titleTag = fields_.titleText();
    arrangeControls();

    // Until the viewer shows, its boxes belong to the result window.
    fields_.attach(grid_.get(), prompts_.get(), dialogOwner());
    const bool ready = fields_.PrepareView(record);
    if (callerWindow)
        callerWindow->unsetCursor();
    if (!ready)
        return;  // dropped without being shown
    shown_ = true;
    CentreForm(this);
    if (modalRunner)
        modalRunner(*this);
    else
        exec();
    fields_.attach(nullptr, nullptr, nullptr);
}

void frmViewRecordSet::arrangeControls() {
    const int width = pixelsToTwips(inner_->width());
    const int height = pixelsToTwips(inner_->height());
    // Moves that would need a negative size are skipped: the control keeps its place.
    const int goLeft = width - kButtonWidth * 3 / 2;
    const int nextLeft = goLeft - kButtonGap - kButtonWidth;
    const int previousLeft = nextLeft - kButtonGap - kButtonWidth;
    const int lefts[] = {previousLeft, nextLeft, goLeft};
    for (int i = 0; i < 3; ++i) {
        BefQuelldatenfelder[i + 2]->setGeometry(twipsToPixels(lefts[i]), twipsToPixels(kButtonTop),
                                                twipsToPixels(kButtonWidth),
                                                twipsToPixels(kButtonHeight));
    }
    const int titleWidth = std::min(width - 2 * kTitleLeft, previousLeft - kTitleLeft - 3);
    if (titleWidth >= 0) {
        BezViewRecordSet3->setGeometry(twipsToPixels(kTitleLeft), 0, twipsToPixels(titleWidth),
                                       twipsToPixels(kTitleHeight));
    }
    BezViewRecordSet3->setText(FitTextForControl(titleTag, BezViewRecordSet3));
    BezViewRecordSet3->setToolTip(titleTag);
    const int lineWidth = width - 2 * kLineLeft - kLineLeft;
    if (lineWidth >= 0) {
        Linie->setGeometry(twipsToPixels(kLineLeft), twipsToPixels(kLineTop) - 1,
                           twipsToPixels(lineWidth), 2);
    }
    const int gridWidth = width - 2 * kGridLeft;
    const int gridHeight = height - kGridTop;
    if (gridWidth >= 0 && gridHeight >= 0) {
        GrdSource->setGeometry(twipsToPixels(kGridLeft), twipsToPixels(kGridTop),
                               twipsToPixels(gridWidth), twipsToPixels(gridHeight));
    }
}

bool frmViewRecordSet::eventFilter(QObject* watched, QEvent* event) {
    if (!GrdSource)
        return QDialog::eventFilter(watched, event);  // still being built
    if (watched == inner_ && event->type() == QEvent::Resize) {
        arrangeControls();
    } else if (watched == GrdSource->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            tabelleMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmViewRecordSet::menuCommand(int index) {
    switch (index) {
        case 0:
            CopyGridToClipboard();
            break;
        case 2:
            PrintStructure();
            break;
        case 3:
            shell::PrinterSetup(this);
            break;
        case 5:
            StartDefaultApplication();
            break;
        case 7:
            close();
            break;
        default:
            break;
    }
}

void frmViewRecordSet::navigate(int buttonIndex) {
    fields_.attach(grid_.get(), prompts_.get(), this);
    fields_.Navigate(buttonIndex);
}

void frmViewRecordSet::CopyGridToClipboard() {
    setCursor(Qt::WaitCursor);
    const int row = GrdSource->Row();
    const int column = GrdSource->Col();
    const QString text = gridClipboardText(*GrdSource);
    if (row >= 0 && column >= 0)
        GrdSource->setCurrentCell(row, column);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard) {
        clipboard->clear();
        clipboard->setText(text);
        platform::showMessage(QStringLiteral("Der Inhalt der Tabelle wurde in die "
                                             "Zwischenablage kopiert!"),
                              platform::Icon::Information, QString(), this);
    } else {
        platform::showMessage(QStringLiteral("Fehler:") + QLatin1Char(' ') +
                                  QStringLiteral("Die Zwischenablage ist nicht verfügbar."),
                              platform::Icon::Critical, QString(), this);
    }
    unsetCursor();
}

void frmViewRecordSet::PrintStructure() {
    if (platform::AskYesNo(QStringLiteral("Möchten Sie die Struktur der Quelldatei ausdrucken?"),
                           this) != platform::AnswerYes)
        return;
    setCursor(Qt::WaitCursor);
    printStructureOn(platform::Printer::current(), *GrdSource, fields_, QDate::currentDate());
    unsetCursor();
}

void frmViewRecordSet::StartDefaultApplication() {
    viewer::StartDefaultApplication(fields_.FilePath, platform::FileAssociations::current(), this);
}

}  // namespace ds::viewer
