#include "records/ResultsJournal.h"

#include "records/ResultsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
Q_LOGGING_CATEGORY(lcJournal, "drill.records.journal")

constexpr char kMagic[4] = {'C', 'D', 'J', '1'};
constexpr int kKindAt = 4;
constexpr int kNumberAt = 8;
constexpr int kLengthAt = 16;
constexpr int kOldAt = 24;
constexpr int kNewAt = kOldAt + kRecordSize;
constexpr int kChecksumAt = kNewAt + kRecordSize;
constexpr int kIntentSize = kChecksumAt + 4;

constexpr qint64 kChunkBytes = 4 << 20;

// FNV-1a: enough to tell a whole intent from one cut short or overwritten.
quint32 Checksum(const char* bytes, int length) {
    quint32 hash = 2166136261u;
    for (int i = 0; i < length; ++i) {
        hash ^= quint8(bytes[i]);
        hash *= 16777619u;
    }
    return hash;
}

QString Beside(const QString& resultsPath, const QString& name) {
    return QFileInfo(resultsPath).absoluteDir().filePath(name);
}

std::optional<QByteArray> ReadIntentBytes(const QString& intentPath) {
    try {
        const ResultsFileHandle file(intentPath, false);
        QByteArray bytes(kIntentSize, Qt::Uninitialized);
        bytes.truncate(ReadUpTo(file, bytes.data(), kIntentSize, 0));
        return bytes;
    } catch (const FileAccessError& error) {
        if (error.errorNumber() == ENOENT) return std::nullopt;
        throw;
    }
}

[[noreturn]] void RefuseToRepair(const QString& resultsPath, const QString& why) {
    throw DataFileError(
        QStringLiteral(
            "成績ファイル %1 の記録の変更か消去が途中で止まっていますが、元に戻せません（%2）。"
            "%3 と %4 "
            "を残したまま、成績ファイルをバックアップから戻すか、先生用の記録を確かめてください。")
            .arg(QDir::toNativeSeparators(resultsPath), why,
                 QDir::toNativeSeparators(ResultsCopyPathBeside(resultsPath)),
                 QDir::toNativeSeparators(ResultsIntentPathBeside(resultsPath))));
}

// Writes the copy's bytes from `from` to its recorded length back over the
// results file and cuts the file to that length.
void RestoreFromCopy(const ResultsFileHandle& results, const MaintenanceIntent& intent,
                     MaintenanceWrites& writes) {
    const QString copyPath = ResultsCopyPathBeside(results.path());
    const ResultsFileHandle copy(copyPath, false);
    const qint64 from = (intent.number - 1) * kRecordSize;
    QByteArray old(kRecordSize, Qt::Uninitialized);
    if (copy.size() != intent.fileLength ||
        ReadUpTo(copy, old.data(), kRecordSize, from) != kRecordSize || old != intent.oldRecord)
        RefuseToRepair(results.path(), QStringLiteral("コピーが消去前のファイルと合いません"));
    QByteArray chunk(std::min(kChunkBytes, intent.fileLength - from), Qt::Uninitialized);
    for (qint64 offset = from; offset < intent.fileLength; offset += chunk.size()) {
        const qint64 n = std::min<qint64>(chunk.size(), intent.fileLength - offset);
        ReadExactly(copy, chunk.data(), n, offset);
        writes.write(results, chunk.constData(), n, offset);
    }
    writes.truncate(results, intent.fileLength);
}

} // namespace

QString ResultsCopyPathBeside(const QString& resultsPath) {
    return Beside(resultsPath, kResultsCopyFileName);
}
QString ResultsIntentPathBeside(const QString& resultsPath) {
    return Beside(resultsPath, kResultsIntentFileName);
}

QByteArray EncodeIntent(const MaintenanceIntent& intent) {
    QByteArray bytes(kIntentSize, '\0');
    char* b = bytes.data();
    std::memcpy(b, kMagic, sizeof kMagic);
    const qint32 kind = qint32(intent.kind);
    std::memcpy(b + kKindAt, &kind, sizeof kind);
    std::memcpy(b + kNumberAt, &intent.number, sizeof intent.number);
    std::memcpy(b + kLengthAt, &intent.fileLength, sizeof intent.fileLength);
    std::memcpy(b + kOldAt, intent.oldRecord.constData(),
                size_t(std::min<qsizetype>(intent.oldRecord.size(), kRecordSize)));
    std::memcpy(b + kNewAt, intent.newRecord.constData(),
                size_t(std::min<qsizetype>(intent.newRecord.size(), kRecordSize)));
    const quint32 checksum = Checksum(b, kChecksumAt);
    std::memcpy(b + kChecksumAt, &checksum, sizeof checksum);
    return bytes;
}

std::optional<MaintenanceIntent> DecodeIntent(const QByteArray& bytes) {
    if (bytes.size() != kIntentSize || std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0 ||
        Checksum(bytes.constData(), kChecksumAt) !=
            LoadRecordField<quint32>(bytes.constData(), kChecksumAt))
        return std::nullopt;
    MaintenanceIntent intent;
    const qint32 kind = LoadRecordField<qint32>(bytes.constData(), kKindAt);
    if (kind != qint32(MaintenanceIntent::Kind::Delete) &&
        kind != qint32(MaintenanceIntent::Kind::Change))
        return std::nullopt;
    intent.kind = MaintenanceIntent::Kind(kind);
    intent.number = LoadRecordField<qint64>(bytes.constData(), kNumberAt);
    intent.fileLength = LoadRecordField<qint64>(bytes.constData(), kLengthAt);
    if (intent.number < 1 || intent.fileLength < intent.number * kRecordSize) return std::nullopt;
    intent.oldRecord = bytes.mid(kOldAt, kRecordSize);
    if (intent.kind == MaintenanceIntent::Kind::Change)
        intent.newRecord = bytes.mid(kNewAt, kRecordSize);
    return intent;
}

void WriteIntent(const QString& resultsPath, const MaintenanceIntent& intent,
                 MaintenanceWrites& writes) {
    const QByteArray bytes = EncodeIntent(intent);
    const ResultsFileHandle file(ResultsIntentPathBeside(resultsPath), true);
    writes.truncate(file, 0);
    writes.write(file, bytes.constData(), bytes.size(), 0);
    SyncFile(file);
    SyncFolderOf(file.path());
}

void FinishMaintenance(const QString& resultsPath, MaintenanceWrites& writes) {
    writes.remove(ResultsIntentPathBeside(resultsPath));
    // Without its intent the copy is only clutter, replaced by the next deletion.
    try {
        writes.remove(ResultsCopyPathBeside(resultsPath));
    } catch (const FileAccessError& error) {
        qCWarning(lcJournal).noquote() << error.message();
    }
}

bool MaintenancePending(const QString& resultsPath) {
    return QFileInfo::exists(ResultsIntentPathBeside(resultsPath));
}

bool UndoInterruptedMaintenance(const ResultsFileHandle& results, MaintenanceWrites& writes) {
    const auto bytes = ReadIntentBytes(ResultsIntentPathBeside(results.path()));
    if (!bytes) return false;
    // An intent cut short was never synced: the results file was not touched.
    if (const auto intent = DecodeIntent(*bytes)) {
        if (intent->kind == MaintenanceIntent::Kind::Delete)
            RestoreFromCopy(results, *intent, writes);
        else
            writes.write(results, intent->oldRecord.constData(), kRecordSize,
                         (intent->number - 1) * kRecordSize);
        SyncFile(results);
        qCWarning(lcJournal).noquote()
            << QDir::toNativeSeparators(results.path()) << ": the"
            << (intent->kind == MaintenanceIntent::Kind::Delete ? "deletion" : "change")
            << "of record" << intent->number << "was cut off; the file is back as it was before it";
    }
    FinishMaintenance(results.path(), writes);
    return true;
}
