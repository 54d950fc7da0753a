#include "records/Criteria.h"

#include "core/CsvReader.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/Text.h"

#include <QDir>
#include <QLoggingCategory>

#include <cmath>
#include <limits>

namespace {
Q_LOGGING_CATEGORY(lcCriteria, "drill.criteria")

const QString kCriteriaContents = QStringLiteral(
    "タイム回数データ.txt には、1 行目に見出し、2 行目から 1 行に 1 レベルずつ "
    "目標Time、最低Time、ｸﾘｱﾎﾟｲﾝﾄ、ｸﾘｱ回数、ﾎﾟｲﾝﾄ倍率、禁回、禁点、判期間、禁期間 と予備 3 個の "
    "12 個の値（カンマ区切り）が必要です。");

QString RowName(int row) {
    return row == 0 ? QStringLiteral("見出し行") : QStringLiteral("レベル %1").arg(row);
}

QString ColumnName(int column) {
    const QString& heading = CriteriaHeadings()[column - 1];
    return heading.isEmpty() ? QStringLiteral("予備") : heading;
}

[[noreturn]] void RefuseOutOfRange(const QString& path, int row, int column, const QString& text) {
    throw DataFileError(QStringLiteral("%1 の %2: %3 の値 %4 は大きすぎるか小さすぎます。\n%5")
                            .arg(QDir::toNativeSeparators(path), RowName(row), ColumnName(column),
                                 text, kCriteriaContents));
}

// A whole-number column takes the field's number, rounded half to even; a
// number its type cannot hold is refused rather than wrapped.
template <typename T>
T WholeValue(const QStringList& fields, int column, const QString& path, int row) {
    const QString& text = fields[column - 1];
    const double value = std::nearbyint(CsvReader::ToNumber(text));
    if (value > double(std::numeric_limits<T>::max()) ||
        value < double(std::numeric_limits<T>::lowest()))
        RefuseOutOfRange(path, row, column, text);
    return T(value);
}

float RateValue(const QStringList& fields, int column, const QString& path, int row) {
    const QString& text = fields[column - 1];
    const double value = CsvReader::ToNumber(text);
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        RefuseOutOfRange(path, row, column, text);
    return float(value);
}

// Columns 6 to 12: the number when the field is one, else its text.
CriteriaValue VariantValue(const QStringList& fields, int column) {
    const QString& text = fields[column - 1];
    CriteriaValue result;
    if (text.isEmpty()) return result;
    bool isNumber = false;
    const double number = CsvReader::ToNumber(text, &isNumber);
    if (isNumber) {
        result.kind = CriteriaValue::Kind::Number;
        result.number = number;
    } else {
        result.kind = CriteriaValue::Kind::Text;
        result.text = text;
    }
    return result;
}

QStringList ReadRowFields(CsvReader& reader, int row) {
    return reader.readLineOf(kCriteriaColumns, QStringLiteral("（%1）").arg(RowName(row)),
                             kCriteriaContents);
}

void StoreRow(CriteriaTables& tables, const QStringList& f, const QString& path, int row) {
    tables.TargetTime[row] = WholeValue<int32_t>(f, 1, path, row);
    tables.LowestTime[row] = WholeValue<int32_t>(f, 2, path, row);
    tables.ClearPoint[row] = WholeValue<int32_t>(f, 3, path, row);
    tables.ClearCount[row] = WholeValue<int16_t>(f, 4, path, row);
    tables.PointRate[row] = RateValue(f, 5, path, row);
    tables.OverdoCount[row] = VariantValue(f, 6);
    tables.OverdoPoint[row] = VariantValue(f, 7);
    tables.PassDays[row] = VariantValue(f, 8);
    tables.OverdoDays[row] = VariantValue(f, 9);
    tables.CriteriaSpare1[row] = VariantValue(f, 10);
    tables.CriteriaSpare2[row] = VariantValue(f, 11);
    tables.CriteriaSpare3[row] = VariantValue(f, 12);
}

void RefuseUnwritableRows(const std::vector<QStringList>& rows, const QString& path) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != kCriteriaColumns)
            throw DataFileError(
                QStringLiteral(
                    "%1 に書けません: 表の %2 行目のセルが %3 個です（12 個のはずです）。")
                    .arg(QDir::toNativeSeparators(path), QString::number(r),
                         QString::number(rows[r].size())));
        for (int c = 0; c < kCriteriaColumns; ++c) {
            const QString& cell = rows[r][c];
            // Such a cell would shift every later field of its line.
            if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
                cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n')))
                throw DataFileError(
                    QStringLiteral("%1 に書けません: 表の %2 行目 %3 列目（%4）の「%5」に"
                                   "カンマ、二重引用符または改行が含まれています。取り除いてから保"
                                   "存して下さい。")
                        .arg(QDir::toNativeSeparators(path), QString::number(r),
                             QString::number(c + 1), ColumnName(c + 1), cell));
        }
    }
}
} // namespace

QString CriteriaFilePath(const ProgramState& state) {
    return state.folders.DataFolder + kCriteriaFileName;
}

const QStringList& CriteriaHeadings() {
    static const QStringList headings{QStringLiteral("目標Time"),
                                      QStringLiteral("最低Time"),
                                      QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ"),
                                      QStringLiteral("ｸﾘｱ回数"),
                                      QStringLiteral("ﾎﾟｲﾝﾄ倍率"),
                                      QStringLiteral("禁回"),
                                      QStringLiteral("禁点"),
                                      QStringLiteral("判期間"),
                                      QStringLiteral("禁期間"),
                                      QString(),
                                      QString(),
                                      QString()};
    return headings;
}

std::vector<QStringList> ReadCriteriaRows(const ProgramState& state) {
    return ReadCriteriaFile(CriteriaFilePath(state));
}

std::vector<QStringList> ReadCriteriaFile(const QString& path) {
    CsvReader reader = CsvReader::fromFile(path, kCriteriaContents);
    std::vector<QStringList> rows;
    while (int(rows.size()) <= kMaxLevel && !reader.atEnd())
        rows.push_back(ReadRowFields(reader, int(rows.size())));
    if (rows.size() < 2)
        throw DataFileError(QStringLiteral("%1: レベルの行がありません。\n%2")
                                .arg(QDir::toNativeSeparators(path), kCriteriaContents));
    if (!reader.atEnd())
        qCWarning(lcCriteria).noquote()
            << QDir::toNativeSeparators(path) << "holds more than" << kMaxLevel
            << "levels; the lines from line" << reader.line() << "on are ignored";
    return rows;
}

void LoadCriteria(ProgramState& state) {
    TakeCriteriaRows(state, ReadCriteriaRows(state));
}

void TakeCriteriaRows(ProgramState& state, const std::vector<QStringList>& rows) {
    // Levels beyond the file keep what they held; a bad file changes nothing.
    CriteriaTables tables = state.criteria;
    for (std::size_t row = 0; row < rows.size(); ++row)
        StoreRow(tables, rows[row], CriteriaFilePath(state), int(row));
    tables.LoadedLevels = int(rows.size()) - 1;
    state.criteria = std::move(tables);
}

int32_t TargetTimeOf(const ProgramState& state, int level) {
    return IsPracticeLevel(state, level) ? kPracticeSeconds : state.criteria.TargetTime[level];
}

int32_t LowestTimeOf(const ProgramState& state, int level) {
    return IsPracticeLevel(state, level) ? kPracticeSeconds : state.criteria.LowestTime[level];
}

void SaveCriteria(const ProgramState& state, const std::vector<QStringList>& rows) {
    SaveCriteriaFile(CriteriaFilePath(state), rows);
}

void SaveCriteriaFile(const QString& path, const std::vector<QStringList>& rows) {
    RefuseUnwritableRows(rows, path);
    QString text;
    for (const QStringList& row : rows)
        text += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    // Never half a table.
    const QString problem = ReplaceWholeFile(path, EncodeCp932(text));
    if (!problem.isEmpty()) throw DataFileError(problem);
}
