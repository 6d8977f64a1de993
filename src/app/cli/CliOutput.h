#pragma once

#include "common/GridText.h"

#include <QString>
#include <QStringEncoder>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace ds::cli {

// The result table as tab-separated lines: the heading row, then every row from the third grid
// row on, one cell per grid column (empty cells kept).
void writeTsv(const GridText& grid, QTextStream& out);

// Lines written to a C stream in UTF-8 through one buffer: the result rows as the run appends
// them, so that a large result is never held in memory.
class LineWriter {
  public:
    explicit LineWriter(std::FILE* out) : out_(out) {}
    ~LineWriter() { flush(); }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void writeLine(QStringView line);
    // False when the stream refused bytes.
    bool flush();

  private:
    std::FILE* out_;
    QStringEncoder encoder_{QStringConverter::Utf8};
    std::vector<char> buffer_ = std::vector<char>(64 * 1024);
    std::size_t used_ = 0;
    bool failed_ = false;
};

// One JSON object per line for every hit, file or error row; folder headings become the
// "folder" of the rows below them, closing rows are left out.
void writeJsonLines(const GridText& grid, int layout, QTextStream& out);

}  // namespace ds::cli
