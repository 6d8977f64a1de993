#pragma once

#include <QStringList>

#include <functional>

namespace ds::search {
class ResultTable;
class SearchRun;
}  // namespace ds::search

namespace ds::viewer {
class RecordShow;
}

namespace ds::cli {

// The printouts behind --pdf. They need the GUI side of Qt (fonts, paint engine), whose libraries
// cost every plain search a good part of its start-up; so they live in a second program,
// datasifter-cli-pdf, to which datasifter-cli hands any command with --pdf.
struct PdfPrinting {
    // "Export &Drucker" of the result table into pdfFile; returns 0 or the exit status 2.
    std::function<int(const search::ResultTable&, const search::SearchRun&, const QString& pdfFile)>
        printResults;
    // "Struktur &drucken" of the record shown; returns 0 or the exit status 2.
    std::function<int(const viewer::RecordShow&, const QString& pdfFile)> printStructure;
};

// True when the command line asks for a printout.
bool asksForPdf(int argc, const char* const* argv);

// The whole command: parses the arguments (the program name first), runs the search or --show
// and writes the results; returns the exit status (0 hits, 1 none, 2 usage or output error).
// Without printing, --pdf is refused.
int runCli(const QStringList& arguments, const PdfPrinting* printing);

// Runs the sibling program datasifter-cli-pdf with the same arguments, standard input and output,
// and returns its exit status (2 when it cannot be started or crashes).
int forwardToPdfProgram(const QStringList& arguments);

}  // namespace ds::cli
