#include "rules/RecordRows.h"

#include "core/Dates.h"
#include "core/Tables.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

const QString kFullWidthBlank = QStringLiteral("　");
constexpr int kNameCharacters = 6;
// The dates an OLE day number can hold (years 100..9999); anything else in a
// damaged record is shown as blanks rather than computed.
constexpr double kFirstOleDay = -657434;
constexpr double kLastOleDay = 2958465;

// Right-aligned in k characters like RightAlign, but never cut: a number that
// does not fit is shown whole.
QString AlignedNumber(long long number, int k) {
    const QString digits = QString::number(number);
    return digits.size() >= k ? digits : RightAlign(digits, k);
}

QString TimeText(double fraction) {
    if (!std::isfinite(fraction)) return QString(9, QLatin1Char(' '));
    return RightAlign(FromOleTimeOfDay(fraction).toString(QStringLiteral("H:mm:ss")), 9);
}

QString TableEntry(const std::vector<QString>& table, int student) {
    return student >= 0 && student < int(table.size()) ? table[size_t(student)] : QString();
}

} // namespace

QString RecordDateText(double oleDay) {
    if (!(oleDay >= kFirstOleDay && oleDay <= kLastOleDay)) return QString(10, QLatin1Char(' '));
    return FromOleDay(oleDay).toString(QStringLiteral("yyyy/MM/dd"));
}

QString RecordCountText(qint64 fileLength) {
    const QString count = fileLength % kRecordSize == 0
                              ? QString::number(fileLength / kRecordSize)
                              : QString::number(double(fileLength) / kRecordSize, 'g', 15);
    return QStringLiteral("総レコード数:") + count;
}

RecordRowContext MakeRecordRowContext(const BrowserRoster& roster, const QString& classroomCode,
                                      const QString& classroomName, qint64 recordCount) {
    // Fitted exactly as the writer fits it, so the comparison is with what is on disk.
    ResultRecord probe;
    probe.classroomCode = classroomCode;
    RecordRowContext context;
    context.roster = &roster;
    context.ownClassroomCode = DecodeRecord(EncodeRecord(probe).constData()).classroomCode;
    context.classroomName = classroomName;
    context.numberWidth = std::max<int>(4, int(QString::number(recordCount).size()));
    return context;
}

QString RecordRowText(qint64 number, const ResultRecord& record, const RecordRowContext& context) {
    const BrowserRoster& roster = *context.roster;
    const QString name = (TableEntry(roster.Name, record.student) + kFullWidthBlank.repeated(5))
                             .left(kNameCharacters);
    const QString classroom = record.classroomCode == context.ownClassroomCode
                                  ? QStringLiteral("++") + context.classroomName
                                  : QStringLiteral("++他塾");
    return AlignedNumber(number, context.numberWidth) + QLatin1Char(' ') +
           RecordDateText(record.date) + kFullWidthBlank + TimeText(record.timeOfDay) +
           QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level) + kFullWidthBlank +
           AlignedNumber(record.result, 5) + QStringLiteral("秒 ") + kFullWidthBlank +
           AlignedNumber(record.student, 4) + QLatin1Char(' ') + name + QLatin1Char(' ') +
           TableEntry(roster.Grade, record.student) + classroom;
}

RecordListModel::RecordListModel(QObject* parent) : QAbstractListModel(parent) {}

void RecordListModel::reset(QByteArray fileBytes, BrowserRoster roster,
                            const QString& classroomCode, const QString& classroomName) {
    beginResetModel();
    fileBytes_ = std::move(fileBytes);
    roster_ = std::move(roster);
    const qint64 count = fileBytes_.size() / kRecordSize;
    context_ = MakeRecordRowContext(roster_, classroomCode, classroomName, count);
    rowRecords_.clear();
    rowRecords_.reserve(size_t(count));
    const char* bytes = fileBytes_.constData();
    for (qint64 i = 0; i < count; ++i)
        if (DecodeRecordNumbers(bytes + i * kRecordSize).level != 0)
            rowRecords_.push_back(qint32(i + 1));
    endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rowRecords_.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const qint64 number = recordNumber(index.row());
    const ResultRecord record = DecodeRecord(fileBytes_.constData() + (number - 1) * kRecordSize);
    return RecordRowText(number, record, context_);
}

int RecordListModel::rowOfRecord(qint64 number) const {
    const int row = rowAtOrAfter(number);
    return row >= 0 && recordNumber(row) == number ? row : -1;
}

int RecordListModel::rowAtOrAfter(qint64 number) const {
    const auto it = std::lower_bound(rowRecords_.begin(), rowRecords_.end(), number);
    return it == rowRecords_.end() ? -1 : int(it - rowRecords_.begin());
}
