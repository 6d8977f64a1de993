#pragma once

#include "common/GridText.h"

#include <QTableWidget>

namespace ds::results {

// A grid of text cells with the operations the program relies on: row and column counts, a
// current cell, cell text, column widths in twips, alignment codes (0 left/top, 2 left/bottom),
// rows appended as TAB-separated text, the marked range as text, and one font for the whole
// grid. The first row and the first column are the fixed heading cells.
class FlexGrid : public QTableWidget, public GridText {
    Q_OBJECT
  public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int Rows() const { return rowCount(); }
    int Cols() const { return columnCount(); }
    void setRows(int rows);
    void setCols(int cols);

    int Row() const { return currentRow(); }
    int Col() const { return currentColumn(); }
    void setRow(int row);
    void setCol(int col);

    QString Text() const { return cellText(Row(), Col()); }
    void setText(const QString& text) { setCellText(Row(), Col(), text); }
    QString cellText(int row, int column) const override;
    void setCellText(int row, int column, const QString& text);

    int colWidthTwips(int column) const;
    void setColWidthTwips(int column, int twips);
    // Alignment code of a column's cells and of its heading cell.
    void setColAlignment(int column, int code);

    // Appends a row after the last one; cells from column 0, extra cells dropped.
    void AddItem(const QString& row);

    // The marked range: cells of a row joined by TAB, rows by CR; the current cell alone when
    // nothing is marked.
    QString Clip() const;

    void setGridFont(const QString& name, bool bold, double pointSize);

    // GridText
    int rowCount() const override { return QTableWidget::rowCount(); }
    int columnCount() const override { return QTableWidget::columnCount(); }

    // The tag: free text the program uses as a signal.
    QString tag;

  Q_SIGNALS:
    void enterPressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTableWidgetItem* itemAt(int row, int column);
    void styleCell(QTableWidgetItem* item, int row, int column) const;
    Qt::Alignment alignmentFor(int column) const;

    QList<int> alignments_;
};

}  // namespace ds::results
