#pragma once

#include <QString>

#include <memory>

class QImage;

namespace ds::platform {

// The printer object the printouts talk to, shaped like the old one. Positions are in the
// current scale (twips unless the scale mode says otherwise), measured from the origin of the
// printable area. Text is printed with its top edge at the current y, starting at the current x;
// printing without a line feed moves x by the text's width, a line feed moves y down by the
// current font's line height and x back to 0.
//
// A document begins with the first output and ends with endDoc(). A page goes out only when
// something was drawn on it, so newPage() directly before endDoc() adds no blank page, and a
// change of orientation takes effect from the next page that is begun.
//
// Every operation works without a printer (nothing is drawn); no operation throws.
class Printer {
  public:
    static constexpr int Portrait = 1;
    static constexpr int Landscape = 2;

    // Scale modes as the old object numbered them.
    static constexpr int ScaleTwips = 1;
    static constexpr int ScalePoints = 2;
    static constexpr int ScalePixels = 3;  // device pixels of the printer
    static constexpr int ScaleInches = 5;
    static constexpr int ScaleMillimetres = 6;
    static constexpr int ScaleCentimetres = 7;

    virtual ~Printer() = default;

    virtual int orientation() const = 0;
    virtual void setOrientation(int orientation) = 0;
    virtual int scaleMode() const = 0;
    virtual void setScaleMode(int mode) = 0;  // unknown modes are ignored

    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;

    // The printable area of a page in the current orientation and scale.
    virtual double printableWidth() const = 0;
    virtual double printableHeight() const = 0;

    // The current font; the size in points.
    virtual QString fontName() const = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual double fontSize() const = 0;
    virtual void setFontSize(double points) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool on) = 0;
    virtual bool fontItalic() const = 0;
    virtual void setFontItalic(bool on) = 0;
    virtual bool fontUnderline() const = 0;
    virtual void setFontUnderline(bool on) = 0;

    // Width of a text in the current font (a TAB advances to the next print zone, as printing
    // does), and the height of one line of that font, both in the current scale.
    virtual double textWidth(const QString& text) const = 0;
    virtual double lineHeight() const = 0;

    // Prints the text at the current position and stays on the line.
    virtual void printText(const QString& text) = 0;
    // Prints the text (nothing for an empty one) and ends the line: an empty line when empty.
    virtual void printLine(const QString& text = QString()) = 0;

    // A thin line (one screen pixel, 1/96 inch) in a colour (red + 256 * green + 65536 * blue);
    // the current position moves to its end.
    virtual void drawLine(double x1, double y1, double x2, double y2, int colour = 0) = 0;
    // A picture in its natural size (its own resolution, 96 dpi when it has none), top-left at
    // the point.
    virtual void paintPicture(const QImage& picture, double x, double y) = 0;

    // Ends the current page; the position returns to the top left.
    virtual void newPage() = 0;
    // Ends the document: the last page goes out. The next output begins a new document.
    virtual void endDoc() = 0;

    // Number of the page being printed (1 on the first page of a document).
    virtual int page() const = 0;

    // The printer printed on, or the PDF file the output goes to.
    virtual QString destination() const = 0;

    // The printer object of the program: the installed one, else the system's printer (created
    // on first use; where no printer exists it prints into a PDF file in the user's documents
    // folder and says so when the document ends).
    static Printer& current();
    // Installs a printer for the printouts (the command line's PDF output, tests); nullptr goes
    // back to the system's printer. The caller keeps ownership.
    static void install(Printer* printer);
};

// Starts a new page with the running header the printouts share: an empty line in Times New
// Roman, then in Arial at (margin, top) the heading on the left, "- n -" flush with the right
// margin (page width - margin), a black rule under them across the margins and an empty line.
void printPageHeader(Printer& p, const QString& heading, int page, double margin, double top);

// A printer that writes every document into this PDF file (replaced at each document's start).
// Needs a QGuiApplication, as every font and paint operation does.
std::unique_ptr<Printer> createPdfPrinter(const QString& pdfFile);

}  // namespace ds::platform
