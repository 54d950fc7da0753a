#pragma once
// The criteria editor's table without its widgets: row 0 the captions, rows
// 1..N the levels, column 0 the level number and columns 1..12 the criteria
// texts; the current cell, the selection that Shift + Down stretches, the
// cells changed since the last save and the changed mark.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CriteriaGrid {
  public:
    static constexpr int kLastColumn = 12;
    static constexpr int kColumns = kLastColumn + 1;

    // The caption row: "レベル" and the twelve column headings.
    static const QStringList& Captions();
    // The help text of a criteria column, lines joined with CR LF.
    static QString Explanation(int column);

    // Takes the criteria file's rows (row 0, the file's heading, is replaced by
    // the captions); clears the change colours and the changed mark and puts
    // the cursor on level 1, column 1.
    void load(const std::vector<QStringList>& fileRows);

    int levelRows() const { return int(cells_.size()) - 1; } // N
    const QString& cell(int row, int column) const { return cells_[std::size_t(row)][column]; }
    bool isChangeColoured(int row, int column) const {
        return coloured_[std::size_t(row)][std::size_t(column)];
    }
    bool changed() const { return changed_; }

    int row() const { return row_; }
    int column() const { return column_; }
    int selectionEnd() const { return selectionEnd_; }
    const QString& currentText() const { return cell(row_, column_); }

    // One step; false at the edge (rows 1..N, columns 1..12). A move ends any
    // Shift + Down selection.
    bool moveUp();
    bool moveDown();
    bool moveLeft();
    bool moveRight();
    // A click; false on a caption or level cell, which cannot be edited.
    bool moveTo(int row, int column);

    // Shift + Down: stretches the selection one row (not past N) and writes the
    // text into the current column from the current row to its end.
    void copyDown(const QString& text);
    // The text box's text into the current cell (TextToGrid転送).
    void setCurrentText(const QString& text);

    // What is written: rows 0..N, columns 1..12.
    std::vector<QStringList> fileRows() const;

    // The first cell the file cannot take: a criteria value that is not a
    // number (or too large for its column), or a comma, double quote or line
    // break that would shift the fields of its line.
    struct Refusal {
        int row = 0;
        int column = 0;
        QString message;
    };
    std::optional<Refusal> unsavableCell() const;

    // The grid equals the file again.
    void markSaved();

  private:
    void writeCell(int row, int column, const QString& typed);
    void placeCursor(int row, int column);

    std::vector<QStringList> cells_;
    std::vector<std::vector<bool>> coloured_;
    bool changed_ = false;
    int row_ = 1;
    int column_ = 1;
    int selectionEnd_ = 1;
};
