#include "records/RecordMaintenance.h"

#include "records/ResultsFile.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcMaintenance, "drill.records.maintenance")

// Big enough to move a million records in a few dozen calls, small enough
// not to double the memory a deletion needs.
constexpr qint64 kChunkBytes = 4 << 20;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

[[noreturn]] void ThrowSystemError(const QString& what, const QString& path, int errorNumber) {
    throw ResultsFileError(QStringLiteral("%1 を%2できません（%3、エラー番号 %4）。")
                               .arg(Native(path), what, QString::fromLocal8Bit(std::strerror(errorNumber)))
                               .arg(errorNumber),
                           errorNumber);
}

void ReadAt(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset) {
    while (length > 0) {
        const ssize_t n = ::pread(file.fd(), buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ThrowSystemError(QStringLiteral("読むことが"), file.path(), n < 0 ? errno : EIO);
        buffer += n;
        length -= n;
        offset += n;
    }
}

void WriteAt(const ResultsFileHandle& file, const char* buffer, qint64 length, qint64 offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(file.fd(), buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowSystemError(QStringLiteral("書くことが"), file.path(), errno);
        buffer += n;
        length -= n;
        offset += n;
    }
}

void Sync(const ResultsFileHandle& file) {
    if (::fsync(file.fd()) != 0)
        ThrowSystemError(QStringLiteral("ディスクに書き切ることが"), file.path(), errno);
}

void Truncate(const ResultsFileHandle& file, qint64 length) {
    if (::ftruncate(file.fd(), off_t(length)) != 0)
        ThrowSystemError(QStringLiteral("切り詰めることが"), file.path(), errno);
}

// Moves bytes [from, end) to start at `to` (to < from), front first, so every
// chunk is read before anything is written over it.
void MoveBytesDown(const ResultsFileHandle& file, qint64 from, qint64 end, qint64 to) {
    QByteArray chunk(std::min(kChunkBytes, std::max<qint64>(end - from, 0)), Qt::Uninitialized);
    while (from < end) {
        const qint64 n = std::min<qint64>(chunk.size(), end - from);
        ReadAt(file, chunk.data(), n, from);
        WriteAt(file, chunk.constData(), n, to);
        from += n;
        to += n;
    }
}

// The kernel copies without the bytes passing through here where it can;
// elsewhere (another file system, an old kernel) they are read and written.
void CopyBytes(const ResultsFileHandle& source, const ResultsFileHandle& target, qint64 length) {
    loff_t in = 0;
    loff_t out = 0;
    while (in < length) {
        const ssize_t n = ::copy_file_range(source.fd(), &in, target.fd(), &out, size_t(length - in), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            continue;
        if (n == 0)
            ThrowSystemError(QStringLiteral("読むことが"), source.path(), EIO);
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            ThrowSystemError(QStringLiteral("コピーすることが"), target.path(), errno);
        QByteArray chunk(std::min(kChunkBytes, length - in), Qt::Uninitialized);
        while (in < length) {
            const qint64 k = std::min<qint64>(chunk.size(), length - in);
            ReadAt(source, chunk.data(), k, in);
            WriteAt(target, chunk.constData(), k, out);
            in += k;
            out += k;
        }
    }
}

// Whether record `number` of the open file still holds `expected`.
bool HoldsRecord(const ResultsFileHandle& file, qint64 number, const QByteArray& expected) {
    if (number < 1 || number > file.size() / kRecordSize || expected.size() != kRecordSize)
        return false;
    QByteArray current(kRecordSize, Qt::Uninitialized);
    ReadAt(file, current.data(), kRecordSize, (number - 1) * kRecordSize);
    return current == expected;
}

// A durable copy of the whole file, torn tail included.
void MakeSafetyCopy(const ResultsFileHandle& results, const QString& copyPath) {
    ResultsFileHandle copy(copyPath, true);
    Truncate(copy, 0);
    CopyBytes(results, copy, results.size());
    Sync(copy);
}

// Moves the records after `number` up by one, drops a torn tail and syncs.
void RemoveRecordInPlace(const ResultsFileHandle& results, qint64 number) {
    const qint64 count = results.size() / kRecordSize;
    MoveBytesDown(results, number * kRecordSize, count * kRecordSize, (number - 1) * kRecordSize);
    Truncate(results, (count - 1) * kRecordSize);
    Sync(results);
}

} // namespace

QString ResultsCopyPath(const QString& dataFolder) {
    return NormalisePath(WithTrailingSeparator(dataFolder) + kResultsCopyFileName);
}

std::optional<QByteArray> ReadRecordBytes(const QString& path, qint64 number) {
    if (!QFile::exists(path))
        return std::nullopt;
    ResultsFileHandle file(path, false);
    if (number < 1 || number > file.size() / kRecordSize)
        return std::nullopt;
    QByteArray bytes(kRecordSize, Qt::Uninitialized);
    ReadAt(file, bytes.data(), kRecordSize, (number - 1) * kRecordSize);
    return bytes;
}

std::optional<int> ParseResultText(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(u'.');
    const QStringView whole = QStringView(trimmed).left(point < 0 ? trimmed.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(trimmed).mid(point + 1);
    const auto allDigits = [](QStringView part) {
        return std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(fraction) || (point >= 0 && fraction.isEmpty()))
        return std::nullopt;
    // To the nearest whole second, halves to even; a number of any length stays a double.
    const double seconds = std::nearbyint(trimmed.toDouble());
    if (seconds > kMaxResultSeconds)
        return std::nullopt;
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
        if (before[i] != after[i])
            bytes[i] = after[i];
    return bytes;
}

MaintenanceOutcome ChangeRecord(const QString& path, qint64 number, const QByteArray& expectedOld,
                                const QByteArray& newRecord) {
    Q_ASSERT(newRecord.size() == kRecordSize);
    // The lock lives on this descriptor: the file must not be opened again
    // while it is held, or closing that second descriptor would drop it.
    ResultsFileHandle file(path, true);
    ResultsFileLock lock(file);
    if (!HoldsRecord(file, number, expectedOld))
        return MaintenanceOutcome::RecordChanged;
    WriteAt(file, newRecord.constData(), kRecordSize, (number - 1) * kRecordSize);
    return MaintenanceOutcome::Done;
}

MaintenanceOutcome DeleteRecord(const QString& dataFolder, qint64 number, const QByteArray& expectedOld) {
    const QString path = NormalisePath(WithTrailingSeparator(dataFolder) + kResultsFileName);
    const QString copyPath = ResultsCopyPath(dataFolder);
    ResultsFileHandle results(path, true);
    ResultsFileLock lock(results);
    if (!HoldsRecord(results, number, expectedOld))
        return MaintenanceOutcome::RecordChanged;

    try {
        MakeSafetyCopy(results, copyPath);
    } catch (const DataFileError& error) {
        QFile::remove(copyPath);
        throw DataFileError(QStringLiteral("記録を消去できませんでした。成績ファイル %1 は元のままで、"
                                           "全部の記録があります。\n%2")
                                .arg(Native(path), error.message()));
    }

    try {
        RemoveRecordInPlace(results, number);
    } catch (const DataFileError& error) {
        throw DataFileError(QStringLiteral("記録の消去が途中で止まりました。全部の記録はコピー %1 にあります。"
                                           "成績ファイル %2 は不完全かもしれません。コピーを %3 "
                                           "という名前に戻してから、もう一度消去してください。\n%4")
                                .arg(Native(copyPath), Native(path), kResultsFileName, error.message()));
    }

    // The results file is complete and on disk; a copy left behind is only
    // clutter, replaced by the next deletion.
    if (!QFile::remove(copyPath))
        qCWarning(lcMaintenance) << "could not delete the safety copy" << copyPath;
    return MaintenanceOutcome::Done;
}
