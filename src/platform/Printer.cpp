#include "platform/Printer.h"

#include "platform/Dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <cmath>

namespace ds::platform {

namespace {

constexpr double kTwipsPerInch = 1440.0;

// Twips per unit of each scale mode; 0 for modes this object does not know.
double twipsPerUnit(int mode, double deviceResolution) {
    switch (mode) {
        case Printer::ScaleTwips:
            return 1.0;
        case Printer::ScalePoints:
            return 20.0;
        case Printer::ScalePixels:
            return kTwipsPerInch / deviceResolution;
        case Printer::ScaleInches:
            return kTwipsPerInch;
        case Printer::ScaleMillimetres:
            return kTwipsPerInch / 25.4;
        case Printer::ScaleCentimetres:
            return kTwipsPerInch / 2.54;
        default:
            return 0.0;
    }
}

QColor colourOf(int number) {
    if (number < 0)
        return Qt::black;
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

// QPrinter behind the printer object. Either it writes into a fixed PDF file, or it prints on
// the system's default printer, falling back to a new PDF file in the documents folder when the
// system has none.
class QtPrinter final : public Printer {
  public:
    explicit QtPrinter(const QString& pdfFile) : printer_(QPrinter::HighResolution) {
        if (!pdfFile.isEmpty()) {
            usePdf(pdfFile);
            return;
        }
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            fallbackPdf_ = true;
            usePdf(QString());
        } else {
            printer_.setPrinterName(info.printerName());
        }
    }

    ~QtPrinter() override { endDoc(); }

    int orientation() const override { return orientation_; }
    void setOrientation(int orientation) override {
        if (orientation == Portrait || orientation == Landscape)
            orientation_ = orientation;
    }
    int scaleMode() const override { return scaleMode_; }
    void setScaleMode(int mode) override {
        if (twipsPerUnit(mode, resolution()) > 0.0)
            scaleMode_ = mode;
    }

    double currentX() const override { return fromTwips(xTwips_); }
    double currentY() const override { return fromTwips(yTwips_); }
    void setCurrentX(double x) override { xTwips_ = toTwips(x); }
    void setCurrentY(double y) override { yTwips_ = toTwips(y); }

    double printableWidth() const override { return fromTwips(paintRectTwips().width()); }
    double printableHeight() const override { return fromTwips(paintRectTwips().height()); }

    QString fontName() const override { return font_.family(); }
    void setFontName(const QString& name) override { font_.setFamily(name); }
    double fontSize() const override { return font_.pointSizeF(); }
    void setFontSize(double points) override {
        if (points > 0.0)
            font_.setPointSizeF(points);
    }
    bool fontBold() const override { return font_.bold(); }
    void setFontBold(bool on) override { font_.setBold(on); }
    bool fontItalic() const override { return font_.italic(); }
    void setFontItalic(bool on) override { font_.setItalic(on); }
    bool fontUnderline() const override { return font_.underline(); }
    void setFontUnderline(bool on) override { font_.setUnderline(on); }

    double textWidth(const QString& text) const override {
        return fromTwips(advanceTwips(0.0, text));
    }
    double lineHeight() const override {
        return fromTwips(QFontMetricsF(font_, &printer_).lineSpacing() * kTwipsPerInch /
                         resolution());
    }

    void printText(const QString& text) override { xTwips_ = drawText(text); }
    void printLine(const QString& text) override {
        if (!text.isEmpty())
            drawText(text);
        yTwips_ += toTwips(lineHeight());
        xTwips_ = 0.0;
    }

    void drawLine(double x1, double y1, double x2, double y2, int colour) override {
        const QPointF a(device(toTwips(x1)), device(toTwips(y1)));
        const QPointF b(device(toTwips(x2)), device(toTwips(y2)));
        if (QPainter* p = pagePainter()) {
            QPen pen(colourOf(colour));
            pen.setWidthF(resolution() / 96.0);
            p->setPen(pen);
            p->drawLine(a, b);
        }
        xTwips_ = toTwips(x2);
        yTwips_ = toTwips(y2);
    }

    void paintPicture(const QImage& picture, double x, double y) override {
        if (picture.isNull())
            return;
        const double dpiX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() * 0.0254 : 96.0;
        const double dpiY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() * 0.0254 : 96.0;
        const double w = picture.width() * kTwipsPerInch / dpiX;
        const double h = picture.height() * kTwipsPerInch / dpiY;
        if (QPainter* p = pagePainter()) {
            const double left = toTwips(x);
            const double top = toTwips(y);
            p->drawImage(QRectF(device(left), device(top), device(w), device(h)), picture);
        }
    }

    void newPage() override {
        if (painter_.isActive()) {
            // Two page breaks in a row leave the page between them blank.
            if (breakPending_) {
                printer_.setPageOrientation(qtOrientation());
                printer_.newPage();
            }
            breakPending_ = true;
        }
        ++page_;
        xTwips_ = 0.0;
        yTwips_ = 0.0;
    }

    void endDoc() override {
        const bool printed = painter_.isActive();
        if (printed)
            painter_.end();
        breakPending_ = false;
        page_ = 1;
        xTwips_ = 0.0;
        yTwips_ = 0.0;
        if (printed && fallbackPdf_) {
            const QString text = QStringLiteral(
                                     "Es ist kein Drucker eingerichtet. Der Ausdruck "
                                     "wurde als PDF-Datei gespeichert:") +
                                 QStringLiteral("\r\n") + QDir::toNativeSeparators(pdfPath_);
            // Said after the printout's own closing steps, not while its cancel button shows.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [text] { showMessage(text, Icon::Information); },
                Qt::QueuedConnection);
        }
    }

    int page() const override { return page_; }

    QString destination() const override {
        return printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName()
                                                              : printer_.printerName();
    }

  private:
    void usePdf(const QString& path) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setPageSize(QPageSize(QPageSize::A4));
        // What a typical printer cannot reach: a quarter inch on every side.
        printer_.setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        pdfPath_ = path;
        if (!path.isEmpty())
            printer_.setOutputFileName(path);
    }

    double resolution() const { return double(printer_.resolution()); }
    double scale() const { return twipsPerUnit(scaleMode_, resolution()); }
    double toTwips(double v) const { return v * scale(); }
    double fromTwips(double twips) const { return twips / scale(); }
    double device(double twips) const { return twips * resolution() / kTwipsPerInch; }

    QPageLayout::Orientation qtOrientation() const {
        return orientation_ == Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    }

    // The printable area of the page being printed, or of the next one when none is begun.
    QRectF paintRectTwips() const {
        QPageLayout layout = printer_.pageLayout();
        if (!painter_.isActive() || breakPending_)
            layout.setOrientation(qtOrientation());
        const QRectF points = layout.paintRect(QPageLayout::Point);
        return QRectF(0.0, 0.0, points.width() * 20.0, points.height() * 20.0);
    }

    // The painter of the current page: begins the document or the pending page first.
    QPainter* pagePainter() {
        if (!painter_.isActive()) {
            if (fallbackPdf_) {
                pdfPath_ = newFallbackPath();
                printer_.setOutputFileName(pdfPath_);
            }
            printer_.setPageOrientation(qtOrientation());
            if (!painter_.begin(&printer_))
                return nullptr;
            // Page breaks asked for before anything was drawn leave blank pages.
            for (int i = 1; i < page_; ++i)
                printer_.newPage();
            breakPending_ = false;
        } else if (breakPending_) {
            printer_.setPageOrientation(qtOrientation());
            printer_.newPage();
            breakPending_ = false;
        }
        painter_.setFont(font_);
        return &painter_;
    }

    static QString newFallbackPath() {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        QDir().mkpath(folder);
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QString path =
            QDir(folder).filePath(QStringLiteral("DataSifter-Ausdruck-%1.pdf").arg(stamp));
        for (int n = 2; QFile::exists(path); ++n) {
            path = QDir(folder).filePath(
                QStringLiteral("DataSifter-Ausdruck-%1-%2.pdf").arg(stamp).arg(n));
        }
        return path;
    }

    // Print zones for TAB: every 14 average character widths from the left edge.
    double zoneTwips(const QFontMetricsF& fm) const {
        return std::max(1.0, fm.averageCharWidth() * 14.0 * kTwipsPerInch / resolution());
    }

    // Where a text printed from x (twips) ends.
    double advanceTwips(double x, const QString& text) const {
        const QFontMetricsF fm(font_, &printer_);
        const QStringList pieces = text.split(QLatin1Char('\t'));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                x = nextZone(x, zoneTwips(fm));
            x += fm.horizontalAdvance(pieces[i]) * kTwipsPerInch / resolution();
        }
        return x;
    }

    static double nextZone(double x, double zone) {
        return (std::floor(x / zone + 1e-9) + 1.0) * zone;
    }

    // Draws a text at the current position; returns the x where it ends.
    double drawText(const QString& text) {
        QPainter* p = text.isEmpty() ? nullptr : pagePainter();
        const QFontMetricsF fm(font_, &printer_);
        const double zone = zoneTwips(fm);
        double x = xTwips_;
        const QStringList pieces = text.split(QLatin1Char('\t'));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                x = nextZone(x, zone);
            if (p && !pieces[i].isEmpty()) {
                p->setPen(Qt::black);
                p->drawText(QPointF(device(x), device(yTwips_) + fm.ascent()), pieces[i]);
            }
            x += fm.horizontalAdvance(pieces[i]) * kTwipsPerInch / resolution();
        }
        return x;
    }

    QPrinter printer_;
    QPainter painter_;
    QFont font_{QStringLiteral("Arial"), 10};
    QString pdfPath_;
    bool fallbackPdf_ = false;
    bool breakPending_ = false;
    int orientation_ = Portrait;
    int scaleMode_ = ScaleTwips;
    int page_ = 1;
    double xTwips_ = 0.0;
    double yTwips_ = 0.0;
};

Printer* g_installed = nullptr;

}  // namespace

void printPageHeader(Printer& p, const QString& heading, int page, double margin, double top) {
    const QString pageLabel = QStringLiteral("- ") + QString::number(page) + QStringLiteral(" -");
    p.newPage();
    p.setFontName(QStringLiteral("Times New Roman"));
    p.printLine();
    p.setFontName(QStringLiteral("Arial"));
    p.setCurrentY(top);
    p.setCurrentX(margin);
    p.printText(heading);
    p.setCurrentX(p.printableWidth() - margin - p.textWidth(pageLabel));
    p.printLine(pageLabel);
    p.drawLine(margin, p.currentY(), p.printableWidth() - margin, p.currentY(), 0);
    p.printLine();
}

Printer& Printer::current() {
    if (g_installed)
        return *g_installed;
    static std::unique_ptr<Printer> system;
    if (!system)
        system = std::make_unique<QtPrinter>(QString());
    return *system;
}

void Printer::install(Printer* printer) {
    g_installed = printer;
}

std::unique_ptr<Printer> createPdfPrinter(const QString& pdfFile) {
    return std::make_unique<QtPrinter>(pdfFile);
}

}  // namespace ds::platform
