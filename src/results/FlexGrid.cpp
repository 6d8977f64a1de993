#include "results/FlexGrid.h"

#include "common/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace ds::results {

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setMinimumSectionSize(2);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setRowCount(2);
    setColumnCount(2);
}

void FlexGrid::setRows(int rows) {
    setRowCount(std::max(rows, 0));
}

void FlexGrid::setCols(int cols) {
    setColumnCount(std::max(cols, 0));
    alignments_.resize(std::max(cols, 0));
}

void FlexGrid::setRow(int row) {
    setCurrentCell(row, std::max(Col(), 0));
}
void FlexGrid::setCol(int col) {
    setCurrentCell(std::max(Row(), 0), col);
}

QString FlexGrid::cellText(int row, int column) const {
    const QTableWidgetItem* i = item(row, column);
    return i ? i->text() : QString();
}

QTableWidgetItem* FlexGrid::itemAt(int row, int column) {
    QTableWidgetItem* i = item(row, column);
    if (!i) {
        i = new QTableWidgetItem;
        styleCell(i, row, column);
        setItem(row, column, i);
    }
    return i;
}

void FlexGrid::styleCell(QTableWidgetItem* item, int row, int column) const {
    item->setTextAlignment(alignmentFor(column));
    if (row == 0 || column == 0)
        item->setBackground(palette().button());
}

void FlexGrid::setCellText(int row, int column, const QString& text) {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return;
    itemAt(row, column)->setText(text);
}

int FlexGrid::colWidthTwips(int column) const {
    return pixelsToTwips(columnWidth(column));
}

void FlexGrid::setColWidthTwips(int column, int twips) {
    setColumnWidth(column, std::max(twipsToPixels(twips), 2));
}

Qt::Alignment FlexGrid::alignmentFor(int column) const {
    const int code = column < alignments_.size() ? alignments_[column] : 0;
    return Qt::AlignLeft | (code == 2 ? Qt::AlignBottom : Qt::AlignTop);
}

void FlexGrid::setColAlignment(int column, int code) {
    if (column < 0)
        return;
    if (alignments_.size() <= column)
        alignments_.resize(column + 1);
    alignments_[column] = code;
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* i = item(r, column))
            i->setTextAlignment(alignmentFor(column));
    }
}

void FlexGrid::AddItem(const QString& row) {
    const int r = rowCount();
    setRowCount(r + 1);
    const QStringList cells = row.split(QLatin1Char('\t'));
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* i = new QTableWidgetItem(cells.value(c));
        styleCell(i, r, c);
        setItem(r, c, i);
    }
}

QString FlexGrid::Clip() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return cellText(Row(), Col());
    const QTableWidgetSelectionRange& range = ranges.first();
    QStringList lines;
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
        QStringList cells;
        for (int c = range.leftColumn(); c <= range.rightColumn(); ++c)
            cells << cellText(r, c);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\r'));
}

void FlexGrid::setGridFont(const QString& name, bool bold, double pointSize) {
    QFont f = font();
    f.setFamily(name);
    f.setBold(bold);
    if (pointSize > 0)
        f.setPointSizeF(pointSize);
    setFont(f);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 4);
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT enterPressed();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace ds::results
