#include "records/RecordMaintenance.h"

#include "core/Text.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

// Big enough to move a million records in a few dozen calls, small enough
// not to double the memory a deletion needs.
constexpr qint64 kChunkBytes = 4 << 20;

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Thrown when the results file is no longer as the deletion left it.
class AnotherWriterGotIn : public DataFileError {
  public:
    using DataFileError::DataFileError;
};

// Before each step of a deletion: the file has the length the deletion left
// it with, and its intent (once written) is still there, unchanged. Another
// machine's append changes the first, another machine's recovery the second.
class DeletionCheck {
  public:
    DeletionCheck(const ResultsFileHandle& results, qint64 length)
        : results_(results), length_(length) {}
    void intentWritten(const QByteArray& intent) { intent_ = intent; }
    void lengthBecomes(qint64 length) { length_ = length; }

    void expectAsLeft() const {
        if (results_.size() == length_ &&
            (intent_.isEmpty() || ReadIntentBytes(results_.path()) == intent_))
            return;
        throw AnotherWriterGotIn(
            QStringLiteral("記録の消去の途中で、ほかのパソコンが成績ファイル %1 を書き換えました。"
                           "消去はそこで止めました。成績ファイルは、次にどのパソコンかが成績を"
                           "記録するときに直ります。もう一度、記録を確かめてから消去してください。")
                .arg(Native(results_.path())));
    }

  private:
    const ResultsFileHandle& results_;
    qint64 length_;
    QByteArray intent_;
};

// Moves bytes [from, end) to start at `to` (to < from), front first, so every
// chunk is read before anything is written over it.
void MoveBytesDown(const ResultsFileHandle& file, qint64 from, qint64 end, qint64 to,
                   const DeletionCheck& check) {
    QByteArray chunk(std::min(kChunkBytes, std::max<qint64>(end - from, 0)), Qt::Uninitialized);
    while (from < end) {
        check.expectAsLeft();
        const qint64 n = std::min<qint64>(chunk.size(), end - from);
        ReadExactly(file, chunk.data(), n, from);
        WriteExactly(file, chunk.constData(), n, to);
        from += n;
        to += n;
    }
}

// Whether record `number` of the open file still holds `expected`.
bool HoldsRecord(const ResultsFileHandle& file, qint64 number, const QByteArray& expected) {
    if (number < 1 || number > file.size() / kRecordSize || expected.size() != kRecordSize)
        return false;
    QByteArray current(kRecordSize, Qt::Uninitialized);
    ReadExactly(file, current.data(), kRecordSize, (number - 1) * kRecordSize);
    return current == expected;
}

// A durable copy of the whole file, torn tail included.
void MakeSafetyCopy(const ResultsFileHandle& results, qint64 length) {
    const ResultsFileHandle copy(ResultsCopyPathBeside(results.path()), true);
    TruncateFile(copy, 0);
    CopyFileStart(results, copy, length);
    SyncFile(copy);
    SyncFolderOf(copy.path());
}

// Moves the records after `number` up by one, drops a torn tail and syncs.
void RemoveRecordInPlace(const ResultsFileHandle& results, qint64 number, DeletionCheck& check) {
    const qint64 count = results.size() / kRecordSize;
    MoveBytesDown(results, number * kRecordSize, count * kRecordSize, (number - 1) * kRecordSize,
                  check);
    check.expectAsLeft();
    TruncateFile(results, (count - 1) * kRecordSize);
    SyncFile(results);
    check.lengthBecomes((count - 1) * kRecordSize);
    check.expectAsLeft();
}

QString ResultsPathIn(const QString& dataFolder) {
    return NormalisePath(WithTrailingSeparator(dataFolder) + kResultsFileName);
}

} // namespace

QString ResultsCopyPath(const QString& dataFolder) {
    return ResultsCopyPathBeside(ResultsPathIn(dataFolder));
}

std::optional<QByteArray> ReadRecordBytes(const QString& path, qint64 number) {
    if (number < 1) return std::nullopt;
    QByteArray bytes = ResultsReader(path).recordBytes(number, 1);
    if (bytes.isEmpty()) return std::nullopt;
    return bytes;
}

std::optional<int> ParseResultText(const QString& text) {
    const QString trimmed = HalfWidthNumber(text).trimmed();
    const qsizetype point = trimmed.indexOf(u'.');
    const QStringView whole = QStringView(trimmed).left(point < 0 ? trimmed.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(trimmed).mid(point + 1);
    const auto allDigits = [](QStringView part) {
        return std::all_of(part.begin(), part.end(),
                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(fraction) ||
        (point >= 0 && fraction.isEmpty()))
        return std::nullopt;
    // To the nearest whole second, halves to even; a number of any length stays a double.
    const double seconds = std::nearbyint(trimmed.toDouble());
    if (seconds > kMaxResultSeconds) return std::nullopt;
    return int(seconds);
}

QByteArray WithStudentAndResult(const QByteArray& recordBytes, int student, int result) {
    ResultRecord edited = DecodeRecord(recordBytes.constData());
    const QByteArray before = EncodeRecord(edited);
    edited.student = int16_t(student);
    edited.result = result;
    const QByteArray after = EncodeRecord(edited);
    // Only the bytes the edit changes are taken from the encoder, so texts and
    // reserved bytes written by other programs stay exactly as they were.
    QByteArray bytes = recordBytes;
    for (int i = 0; i < kRecordSize; ++i)
        if (before[i] != after[i]) bytes[i] = after[i];
    return bytes;
}

MaintenanceOutcome ChangeRecord(const QString& path, qint64 number, const QByteArray& expectedOld,
                                const QByteArray& newRecord, QString* setAsideNotice) {
    Q_ASSERT(newRecord.size() == kRecordSize);
    // The lock lives on this descriptor: the file must not be opened again
    // while it is held, or closing that second descriptor would drop it.
    ResultsFileHandle file(path, true);
    ResultsFileLock lock(file);
    PassOnSetAsideNotice(lock, setAsideNotice);
    if (!HoldsRecord(file, number, expectedOld)) return MaintenanceOutcome::RecordChanged;
    const qint64 length = file.size();
    WriteIntent(path, {MaintenanceIntent::Kind::Change, number, length, expectedOld, newRecord,
                       FingerprintOf(file, length, number)});
    WriteExactly(file, newRecord.constData(), kRecordSize, (number - 1) * kRecordSize);
    SyncFile(file);
    FinishMaintenance(path);
    return MaintenanceOutcome::Done;
}

MaintenanceOutcome DeleteRecord(const QString& dataFolder, qint64 number,
                                const QByteArray& expectedOld, QString* setAsideNotice) {
    const QString path = ResultsPathIn(dataFolder);
    ResultsFileHandle results(path, true);
    ResultsFileLock lock(results);
    PassOnSetAsideNotice(lock, setAsideNotice);
    if (!HoldsRecord(results, number, expectedOld)) return MaintenanceOutcome::RecordChanged;

    const qint64 length = results.size();
    DeletionCheck check(results, length);
    try {
        MakeSafetyCopy(results, length);
        const MaintenanceIntent intent{
            MaintenanceIntent::Kind::Delete,       number, length, expectedOld, {},
            FingerprintOf(results, length, number)};
        check.expectAsLeft();
        WriteIntent(path, intent);
        check.intentWritten(EncodeIntent(intent));
    } catch (const DataFileError& error) {
        // Nothing of the results file has changed yet.
        FinishMaintenance(path);
        throw DataFileError(
            QStringLiteral("記録を消去できませんでした。成績ファイル %1 は元のままで、"
                           "全部の記録があります。\n%2")
                .arg(Native(path), error.message()));
    }

    try {
        RemoveRecordInPlace(results, number, check);
        FinishMaintenance(path);
    } catch (const AnotherWriterGotIn&) {
        throw; // the intent stays: the file is another machine's now
    } catch (const DataFileError& error) {
        InterruptedState state = InterruptedState::None;
        try {
            state = RecoverInterruptedMaintenance(results).state;
        } catch (const DataFileError&) {
            throw DataFileError(
                QStringLiteral(
                    "記録の消去が途中で止まりました。全部の記録はコピー %1 にあります。"
                    "成績ファイル %2 は、次にどのパソコンかが使うときに元に戻ります。\n%3")
                    .arg(Native(ResultsCopyPathBeside(path)), Native(path), error.message()));
        }
        // Only the last steps (removing the intent) were left: the record is gone.
        if (state == InterruptedState::Finished) return MaintenanceOutcome::Done;
        throw DataFileError(
            QStringLiteral("記録を消去できませんでした。成績ファイル %1 は元に戻してあり、"
                           "全部の記録があります。\n%2")
                .arg(Native(path), error.message()));
    }
    return MaintenanceOutcome::Done;
}
