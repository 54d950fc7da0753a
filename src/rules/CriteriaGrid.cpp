#include "rules/CriteriaGrid.h"

#include "core/CsvReader.h"
#include "core/Text.h"
#include "records/Criteria.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The criteria values; the columns after them are free text.
bool IsNumberColumn(int column) {
    return column <= 9;
}

// Whole-number columns are rounded when the file is read back; a value its
// column cannot hold would stop the program at its next start.
template <typename T> bool FitsWhole(double value) {
    const double held = std::nearbyint(value);
    return held >= double(std::numeric_limits<T>::lowest()) &&
           held <= double(std::numeric_limits<T>::max());
}

bool FitsColumn(double value, int column) {
    switch (column) {
    case 1:
    case 2:
    case 3:
        return FitsWhole<std::int32_t>(value);
    case 4:
        return FitsWhole<std::int16_t>(value);
    case 5:
        return std::fabs(value) <= double(std::numeric_limits<float>::max());
    default:
        return true;
    }
}

bool BreaksTheLine(const QString& text) {
    return text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
           text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

QString CellName(int row, int column) {
    const QString& caption = CriteriaGrid::Captions()[column];
    return QStringLiteral("レベル%1 の %2 列目（%3）")
        .arg(row)
        .arg(column)
        .arg(caption.isEmpty() ? QStringLiteral("予備") : caption);
}

} // namespace

const QStringList& CriteriaGrid::Captions() {
    static const QStringList captions = QStringList{QStringLiteral("レベル")} + CriteriaHeadings();
    return captions;
}

QString CriteriaGrid::Explanation(int column) {
    static const std::vector<QStringList> lines{
        {},
        {QStringLiteral("合格基準タイム"),
         QStringLiteral("\u3000大部分の人ががんばったら出せそうなタイムにしてください")},
        {QStringLiteral("合格最低ラインタイム"), QStringLiteral("  この５倍が時間切れになります")},
        {QStringLiteral("目標ポイント"), QStringLiteral("\u3000\u3000 目標ポイント")},
        {QStringLiteral("目標回数"), QStringLiteral("\u3000\u3000 目標回数")},
        {QStringLiteral("ポイント倍率"), QStringLiteral("  ポイントを何倍にして加算するか"),
         QStringLiteral("  むずかしいレベルや生徒のいやがるレベルは高くしてください")},
        {QStringLiteral("やりすぎ禁止回数"), QStringLiteral("  何回やったらやりすぎ禁止にするか"),
         QStringLiteral("  ")},
        {QStringLiteral("やりすぎ禁止ポイント"),
         QStringLiteral("  何ポイントとったらやりすぎ禁止にするか"), QStringLiteral(" ")},
        {QStringLiteral("合格判定をする日数"),
         QStringLiteral("\u3000何日前からのポイントを有効にするか")},
        {QStringLiteral("やりすぎ判定をする日数"),
         QStringLiteral("\u3000何日前からのポイントを有効にするか")},
    };
    if (column < 1 || column >= int(lines.size())) return {};
    return lines[std::size_t(column)].join(QStringLiteral("\r\n"));
}

void CriteriaGrid::load(const std::vector<QStringList>& fileRows) {
    cells_.assign(1, Captions());
    for (std::size_t k = 1; k < fileRows.size(); ++k)
        cells_.push_back(QStringList{QString::number(k)} + fileRows[k]);
    coloured_.assign(cells_.size(), std::vector<bool>(kColumns, false));
    changed_ = false;
    placeCursor(1, 1);
}

bool CriteriaGrid::moveUp() {
    return moveTo(row_ - 1, column_);
}
bool CriteriaGrid::moveDown() {
    return moveTo(row_ + 1, column_);
}
bool CriteriaGrid::moveLeft() {
    return moveTo(row_, column_ - 1);
}
bool CriteriaGrid::moveRight() {
    return moveTo(row_, column_ + 1);
}

bool CriteriaGrid::moveTo(int row, int column) {
    if (row < 1 || row > levelRows() || column < 1 || column > kLastColumn) return false;
    placeCursor(row, column);
    return true;
}

void CriteriaGrid::placeCursor(int row, int column) {
    row_ = row;
    column_ = column;
    selectionEnd_ = row;
}

void CriteriaGrid::copyDown(const QString& text) {
    if (selectionEnd_ < levelRows()) ++selectionEnd_;
    for (int r = row_; r <= selectionEnd_; ++r)
        writeCell(r, column_, text);
}

void CriteriaGrid::setCurrentText(const QString& text) {
    writeCell(row_, column_, text);
}

void CriteriaGrid::writeCell(int row, int column, const QString& typed) {
    // The file keeps ASCII numbers, which every machine reads.
    const QString text = IsNumberColumn(column) ? HalfWidthNumber(typed) : typed;
    QString& cell = cells_[std::size_t(row)][column];
    if (cell == text) return;
    cell = text;
    coloured_[std::size_t(row)][std::size_t(column)] = true;
    changed_ = true;
}

std::vector<QStringList> CriteriaGrid::fileRows() const {
    std::vector<QStringList> rows;
    rows.reserve(cells_.size());
    for (const QStringList& row : cells_)
        rows.push_back(row.mid(1));
    return rows;
}

std::optional<CriteriaGrid::Refusal> CriteriaGrid::unsavableCell() const {
    for (int r = 1; r <= levelRows(); ++r) {
        for (int c = 1; c <= kLastColumn; ++c) {
            const QString& text = cell(r, c);
            if (BreaksTheLine(text))
                return Refusal{r, c,
                               CellName(r, c) +
                                   QStringLiteral("にカンマ、二重引用符または改行があります。"
                                                  "取り除いてから記録してください。")};
            if (!IsNumberColumn(c) || text.trimmed().isEmpty()) continue;
            bool isNumber = false;
            const double value = CsvReader::ToNumber(text, &isNumber);
            if (!isNumber)
                return Refusal{r, c,
                               CellName(r, c) +
                                   QStringLiteral("の「%1」は数ではありません。"
                                                  "数を入れるか空にしてから記録してください。")
                                       .arg(text)};
            if (!FitsColumn(value, c))
                return Refusal{r, c,
                               CellName(r, c) +
                                   QStringLiteral("の「%1」は大きすぎるか小さすぎます。"
                                                  "直してから記録してください。")
                                       .arg(text)};
        }
    }
    return std::nullopt;
}

void CriteriaGrid::markSaved() {
    changed_ = false;
    for (std::vector<bool>& row : coloured_)
        std::fill(row.begin(), row.end(), false);
}
