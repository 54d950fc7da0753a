#include "records/ResultsJournal.h"

#include "records/ResultRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
Q_LOGGING_CATEGORY(lcJournal, "drill.records.journal")

// An intent is the release before's ("CDJ1", its own checksum) followed by
// the fingerprint and a checksum over everything: that release, during a
// change-over, still reads it as its own and puts the file back as it did.
constexpr char kMagic[4] = {'C', 'D', 'J', '1'};
constexpr int kKindAt = 4;
constexpr int kNumberAt = 8;
constexpr int kLengthAt = 16;
constexpr int kOldAt = 24;
constexpr int kNewAt = kOldAt + kRecordSize;
constexpr int kChecksumBeforeAt = kNewAt + kRecordSize;
constexpr int kIntentSizeBefore = kChecksumBeforeAt + 4;
constexpr int kWholeHashAt = kIntentSizeBefore;
constexpr int kWithoutHashAt = kWholeHashAt + 8;
constexpr int kChecksumAt = kWithoutHashAt + 8;
constexpr int kIntentSize = kChecksumAt + 4;

constexpr qint64 kChunkBytes = 1 << 20;

// FNV-1a: enough to tell a whole intent from one cut short or overwritten.
quint32 Checksum(const char* bytes, int length) {
    quint32 hash = 2166136261u;
    for (int i = 0; i < length; ++i) {
        hash ^= quint8(bytes[i]);
        hash *= 16777619u;
    }
    return hash;
}

// FNV-1a over 64-bit words, fed piece by piece (the same bytes give the same
// value however they are split): a file told from another one by its records,
// not by its name or length alone, at the speed of reading it.
class RecordsHash {
  public:
    void add(const char* bytes, qint64 length) {
        while (length > 0 && (pendingBytes_ > 0 || length < 8)) {
            pending_[pendingBytes_++] = bytes[0];
            ++bytes;
            --length;
            if (pendingBytes_ == 8) {
                mix(pending_);
                pendingBytes_ = 0;
            }
        }
        for (; length >= 8; bytes += 8, length -= 8)
            mix(bytes);
        for (; length > 0; ++bytes, --length)
            pending_[pendingBytes_++] = bytes[0];
    }
    quint64 value() const {
        quint64 hash = hash_;
        for (int i = 0; i < pendingBytes_; ++i)
            hash = (hash ^ quint8(pending_[i])) * kPrime;
        return hash;
    }

  private:
    static constexpr quint64 kPrime = 1099511628211ull;
    void mix(const char* word) {
        quint64 value;
        std::memcpy(&value, word, sizeof value);
        hash_ = (hash_ ^ value) * kPrime;
    }
    quint64 hash_ = 14695981039346656037ull;
    char pending_[8] = {};
    int pendingBytes_ = 0;
};

qint64 RecordStart(qint64 number) {
    return (number - 1) * kRecordSize;
}

QString Beside(const QString& resultsPath, const QString& name) {
    return QFileInfo(resultsPath).absoluteDir().filePath(name);
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Calls take(bytes, n) for [from, from + length) of the file, a chunk at a time.
template <typename Take>
void ForEachChunk(const ResultsFileHandle& file, qint64 from, qint64 length, Take take) {
    QByteArray chunk(std::min(kChunkBytes, std::max<qint64>(length, 0)), Qt::Uninitialized);
    for (qint64 done = 0; done < length;) {
        const qint64 n = std::min<qint64>(chunk.size(), length - done);
        ReadExactly(file, chunk.data(), n, from + done);
        take(chunk.constData(), n);
        done += n;
    }
}

quint64 HashOf(const ResultsFileHandle& file, qint64 length) {
    RecordsHash hash;
    ForEachChunk(file, 0, length, [&](const char* bytes, qint64 n) { hash.add(bytes, n); });
    return hash.value();
}

// How many leading bytes of a (from aFrom) and b (from bFrom) agree, of length.
qint64 CommonPrefix(const ResultsFileHandle& a, qint64 aFrom, const ResultsFileHandle& b,
                    qint64 bFrom, qint64 length) {
    QByteArray left(std::min(kChunkBytes, std::max<qint64>(length, 0)), Qt::Uninitialized);
    QByteArray right(left.size(), Qt::Uninitialized);
    for (qint64 done = 0; done < length;) {
        const qint64 n = std::min<qint64>(left.size(), length - done);
        ReadExactly(a, left.data(), n, aFrom + done);
        ReadExactly(b, right.data(), n, bFrom + done);
        const auto [l, r] =
            std::mismatch(left.constData(), left.constData() + n, right.constData());
        if (l != left.constData() + n) return done + (l - left.constData());
        done += n;
    }
    return length;
}

// How many trailing bytes of [from, to) agree in a and b, at the same offsets.
qint64 CommonSuffix(const ResultsFileHandle& a, const ResultsFileHandle& b, qint64 from,
                    qint64 to) {
    QByteArray left(std::min(kChunkBytes, std::max<qint64>(to - from, 0)), Qt::Uninitialized);
    QByteArray right(left.size(), Qt::Uninitialized);
    for (qint64 end = to; end > from;) {
        const qint64 n = std::min<qint64>(left.size(), end - from);
        ReadExactly(a, left.data(), n, end - n);
        ReadExactly(b, right.data(), n, end - n);
        for (qint64 i = n - 1; i >= 0; --i)
            if (left[i] != right[i]) return to - (end - n + i + 1);
        end -= n;
    }
    return to - from;
}

bool SameBytes(const ResultsFileHandle& a, qint64 aFrom, const ResultsFileHandle& b, qint64 bFrom,
               qint64 length) {
    return CommonPrefix(a, aFrom, b, bFrom, length) == length;
}

// Whether `bytes` is `after` written over `before` from the front and stopped
// somewhere: a first part of after, then the rest of before.
bool PartlyWrittenOver(const QByteArray& bytes, const QByteArray& before, const QByteArray& after) {
    qsizetype written = 0;
    while (written < bytes.size() && bytes[written] == after[written])
        ++written;
    qsizetype kept = bytes.size();
    while (kept > 0 && bytes[kept - 1] == before[kept - 1])
        --kept;
    return kept <= written;
}

// Whether the record that ends at `end` repeats the one before it.
bool LastRecordTwice(const ResultsFileHandle& file, qint64 end) {
    QByteArray two(2 * kRecordSize, Qt::Uninitialized);
    ReadExactly(file, two.data(), two.size(), end - two.size());
    return std::memcmp(two.constData(), two.constData() + kRecordSize, kRecordSize) == 0;
}

std::shared_ptr<const ResultsFileHandle> OpenCopy(const QString& resultsPath) {
    try {
        return std::make_shared<const ResultsFileHandle>(ResultsCopyPathBeside(resultsPath), false);
    } catch (const FileAccessError& error) {
        if (error.errorNumber() == ENOENT) return nullptr;
        throw;
    }
}

// A deletion's copy: the whole file it was made from, record `number` in place.
bool CopyFits(const ResultsFileHandle& copy, const MaintenanceIntent& intent) {
    if (copy.size() != intent.fileLength) return false;
    QByteArray old(kRecordSize, Qt::Uninitialized);
    ReadExactly(copy, old.data(), kRecordSize, RecordStart(intent.number));
    if (old != intent.oldRecord) return false;
    return !intent.fingerprint ||
           HashOf(copy, WholeRecordLength(intent.fileLength)) == intent.fingerprint->whole;
}

// What the deletion had got to, and the copy's bytes that put it back.
struct Recognised {
    InterruptedState state = InterruptedState::Unrecognised;
    std::optional<RecoveryPatch> patch;
    QString why; // when unrecognised
};

const QString kAnotherFile =
    QStringLiteral("成績ファイルが控えを作ったときのファイルではありません");

Recognised RecogniseDeletion(const ResultsFileHandle& results, const MaintenanceIntent& intent) {
    const qint64 end = WholeRecordLength(intent.fileLength);
    const qint64 start = RecordStart(intent.number);
    const qint64 moved = end - start - kRecordSize; // the bytes the move shifts down
    const qint64 size = results.size();
    const auto copy = OpenCopy(results.path());
    if (copy && CopyFits(*copy, intent)) {
        if (size < end - kRecordSize || !SameBytes(results, 0, *copy, 0, start))
            return {InterruptedState::Unrecognised, {}, kAnotherFile};
        if (size >= end) {
            // Moved front first: a shifted first part, then the bytes as they were.
            const qint64 shifted = CommonPrefix(results, start, *copy, start + kRecordSize, moved);
            const qint64 asBefore = end - CommonSuffix(results, *copy, start, end);
            if (asBefore == start) return {InterruptedState::Untouched, {}, {}};
            if (asBefore <= start + shifted)
                return {
                    InterruptedState::PartlyDone, RecoveryPatch{start, end - start, copy, {}}, {}};
        }
        if (SameBytes(results, start, *copy, start + kRecordSize, moved))
            return {InterruptedState::Finished, {}, {}};
        return {InterruptedState::Unrecognised, {}, kAnotherFile};
    }
    // Without a copy that fits, only a file with nothing to put back is known.
    // A file moved but not yet cut begins like a finished one; its last
    // record is there twice.
    if (intent.fingerprint) {
        if (size >= end - kRecordSize &&
            HashOf(results, end - kRecordSize) == intent.fingerprint->withoutRecord &&
            !(moved > 0 && size >= end && LastRecordTwice(results, end)))
            return {InterruptedState::Finished, {}, {}};
        if (size >= end && HashOf(results, end) == intent.fingerprint->whole)
            return {InterruptedState::Untouched, {}, {}};
    }
    return {InterruptedState::Unrecognised,
            {},
            copy ? QStringLiteral("コピーが消去前のファイルと合いません")
                 : QStringLiteral("コピー %1 がありません")
                       .arg(Native(ResultsCopyPathBeside(results.path())))};
}

Recognised RecogniseChange(const ResultsFileHandle& results, const MaintenanceIntent& intent) {
    const qint64 start = RecordStart(intent.number);
    const qint64 size = results.size();
    if (size < start + kRecordSize)
        return {
            InterruptedState::Unrecognised,
            {},
            QStringLiteral("変更する記録 %1 がファイルの終わりより後ろです").arg(intent.number)};
    if (intent.fingerprint &&
        (size < WholeRecordLength(intent.fileLength) ||
         FingerprintOf(results, intent.fileLength, intent.number).withoutRecord !=
             intent.fingerprint->withoutRecord))
        return {InterruptedState::Unrecognised, {}, kAnotherFile};
    QByteArray record(kRecordSize, Qt::Uninitialized);
    ReadExactly(results, record.data(), kRecordSize, start);
    if (record == intent.oldRecord) return {InterruptedState::Untouched, {}, {}};
    if (record == intent.newRecord) return {InterruptedState::Finished, {}, {}};
    if (PartlyWrittenOver(record, intent.oldRecord, intent.newRecord))
        return {InterruptedState::PartlyDone,
                RecoveryPatch{start, kRecordSize, nullptr, intent.oldRecord},
                {}};
    return {InterruptedState::Unrecognised, {}, kAnotherFile};
}

// What an intent found beside the file means; an intent cut short was never
// synced, so the results file was not touched.
Recognised Recognise(const ResultsFileHandle& results, const QByteArray& intentBytes) {
    const auto intent = DecodeIntent(intentBytes);
    if (!intent) return {InterruptedState::Untouched, {}, {}};
    return intent->kind == MaintenanceIntent::Kind::Delete ? RecogniseDeletion(results, *intent)
                                                           : RecogniseChange(results, *intent);
}

// name-20261209-153012.dat, or name-20261209-153012-2.dat when that is taken.
QString DatedName(const QString& path, const QString& stamp) {
    const QFileInfo info(path);
    const QString stem = info.absoluteDir().filePath(info.completeBaseName() + u'-' + stamp);
    QString dated = stem + QStringLiteral(".dat");
    for (int n = 2; QFileInfo::exists(dated); ++n)
        dated = stem + QStringLiteral("-%1.dat").arg(n);
    return dated;
}

// Moves the intent and the copy out of the way, under one date, leaving the
// results file as it is; returns what the teacher is told.
QString SetAside(const QString& resultsPath, const QString& why) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString copy = ResultsCopyPathBeside(resultsPath);
    const QString intent = ResultsIntentPathBeside(resultsPath);
    // The copy first: a copy without its intent is only clutter, an intent
    // without its copy would be set aside again by the next writer.
    const bool hadCopy = QFileInfo::exists(copy);
    const QString copyAside = DatedName(copy, stamp);
    if (hadCopy) RenameAside(copy, copyAside);
    const QString intentAside = DatedName(intent, stamp);
    RenameAside(intent, intentAside);
    return QStringLiteral(
               "成績ファイル %1 の記録の変更か消去が途中で止まった控えが見つかりましたが、"
               "今の成績ファイルとは合いません（%2）。成績ファイルには手を付けず、控えを %3%4 "
               "に移しました。成績はこれまでどおり記録されます。"
               "控えをどうするかは、README の Troubleshooting の「控えを移しました」の行を"
               "見てください。")
        .arg(Native(resultsPath), why, Native(intentAside),
             hadCopy ? QStringLiteral(" と ") + Native(copyAside) : QString());
}

void WritePatch(const ResultsFileHandle& results, const RecoveryPatch& patch) {
    QByteArray chunk(std::min(kChunkBytes, patch.length), Qt::Uninitialized);
    for (qint64 done = 0; done < patch.length;) {
        const qint64 n = std::min<qint64>(chunk.size(), patch.length - done);
        ReadPatch(patch, chunk.data(), n, patch.at + done);
        WriteExactly(results, chunk.constData(), n, patch.at + done);
        done += n;
    }
}

const char* Described(InterruptedState state) {
    switch (state) {
    case InterruptedState::Untouched:
        return "had not changed the file; nothing to put back";
    case InterruptedState::PartlyDone:
        return "had got part-way; the file is back as it was";
    case InterruptedState::Finished:
        return "had finished; the file is kept as it is";
    default:
        return "does not fit this file; the file is left as it is";
    }
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
    const quint32 checksumBefore = Checksum(b, kChecksumBeforeAt);
    std::memcpy(b + kChecksumBeforeAt, &checksumBefore, sizeof checksumBefore);
    const FileFingerprint fingerprint = intent.fingerprint.value_or(FileFingerprint{});
    std::memcpy(b + kWholeHashAt, &fingerprint.whole, sizeof fingerprint.whole);
    std::memcpy(b + kWithoutHashAt, &fingerprint.withoutRecord, sizeof fingerprint.withoutRecord);
    const quint32 checksum = Checksum(b, kChecksumAt);
    std::memcpy(b + kChecksumAt, &checksum, sizeof checksum);
    return bytes;
}

std::optional<MaintenanceIntent> DecodeIntent(const QByteArray& bytes) {
    const char* b = bytes.constData();
    const bool current = bytes.size() == kIntentSize;
    if ((!current && bytes.size() != kIntentSizeBefore) || std::memcmp(b, kMagic, 4) != 0 ||
        Checksum(b, kChecksumBeforeAt) != LoadRecordField<quint32>(b, kChecksumBeforeAt) ||
        (current && Checksum(b, kChecksumAt) != LoadRecordField<quint32>(b, kChecksumAt)))
        return std::nullopt;
    MaintenanceIntent intent;
    const qint32 kind = LoadRecordField<qint32>(b, kKindAt);
    if (kind != qint32(MaintenanceIntent::Kind::Delete) &&
        kind != qint32(MaintenanceIntent::Kind::Change))
        return std::nullopt;
    intent.kind = MaintenanceIntent::Kind(kind);
    intent.number = LoadRecordField<qint64>(b, kNumberAt);
    intent.fileLength = LoadRecordField<qint64>(b, kLengthAt);
    if (intent.number < 1 || intent.fileLength < intent.number * kRecordSize) return std::nullopt;
    intent.oldRecord = bytes.mid(kOldAt, kRecordSize);
    if (intent.kind == MaintenanceIntent::Kind::Change)
        intent.newRecord = bytes.mid(kNewAt, kRecordSize);
    if (current)
        intent.fingerprint = FileFingerprint{LoadRecordField<quint64>(b, kWholeHashAt),
                                             LoadRecordField<quint64>(b, kWithoutHashAt)};
    return intent;
}

std::optional<QByteArray> ReadIntentBytes(const QString& resultsPath) {
    try {
        const ResultsFileHandle file(ResultsIntentPathBeside(resultsPath), false);
        // One byte more than an intent, so a longer file is not taken for one.
        QByteArray bytes(kIntentSize + 1, Qt::Uninitialized);
        bytes.truncate(ReadUpTo(file, bytes.data(), bytes.size(), 0));
        return bytes;
    } catch (const FileAccessError& error) {
        if (error.errorNumber() == ENOENT) return std::nullopt;
        throw;
    }
}

FileFingerprint FingerprintOf(const ResultsFileHandle& file, qint64 length, qint64 number) {
    const qint64 start = RecordStart(number);
    RecordsHash whole;
    RecordsHash without;
    qint64 at = 0;
    ForEachChunk(file, 0, WholeRecordLength(length), [&](const char* bytes, qint64 n) {
        whole.add(bytes, n);
        // The part of this chunk outside [start, start + kRecordSize).
        const qint64 skipFrom = std::clamp(start - at, qint64(0), n);
        const qint64 skipTo = std::clamp(start + kRecordSize - at, qint64(0), n);
        without.add(bytes, skipFrom);
        without.add(bytes + skipTo, n - skipTo);
        at += n;
    });
    return {whole.value(), without.value()};
}

void WriteIntent(const QString& resultsPath, const MaintenanceIntent& intent) {
    const QByteArray bytes = EncodeIntent(intent);
    const ResultsFileHandle file(ResultsIntentPathBeside(resultsPath), true);
    TruncateFile(file, 0);
    WriteExactly(file, bytes.constData(), bytes.size(), 0);
    SyncFile(file);
    SyncFolderOf(file.path());
}

void FinishMaintenance(const QString& resultsPath) {
    // The change has landed (or never began) and is not reported as failed
    // for this: an intent held past the brief wait is found finished (or
    // untouched), and removed, by the next writer.
    try {
        RemoveDurably(ResultsIntentPathBeside(resultsPath));
    } catch (const FileAccessError& error) {
        qCWarning(lcJournal).noquote() << error.message();
        return;
    }
    // Without its intent the copy is only clutter, replaced by the next deletion.
    try {
        RemoveDurably(ResultsCopyPathBeside(resultsPath));
    } catch (const FileAccessError& error) {
        qCWarning(lcJournal).noquote() << error.message();
    }
}

bool MaintenancePending(const QString& resultsPath) {
    return QFileInfo::exists(ResultsIntentPathBeside(resultsPath));
}

RecoveryOutcome RecoverInterruptedMaintenance(const ResultsFileHandle& results) {
    const auto bytes = ReadIntentBytes(results.path());
    if (!bytes) return {};
    const Recognised found = Recognise(results, *bytes);
    qCWarning(lcJournal).noquote()
        << Native(results.path()) << ": a change or deletion that was cut off"
        << Described(found.state);
    if (found.state == InterruptedState::Unrecognised) {
        const QString notice = SetAside(results.path(), found.why);
        qCWarning(lcJournal).noquote() << notice;
        return {found.state, notice};
    }
    if (found.patch) {
        WritePatch(results, *found.patch);
        SyncFile(results);
    }
    FinishMaintenance(results.path());
    return {found.state, {}};
}

std::optional<RecoveryPatch> PendingRecoveryPatch(const ResultsFileHandle& results) {
    const auto bytes = ReadIntentBytes(results.path());
    if (!bytes) return std::nullopt;
    return Recognise(results, *bytes).patch;
}

void ReadPatch(const RecoveryPatch& patch, char* buffer, qint64 length, qint64 offset) {
    const qint64 from = offset - patch.at;
    Q_ASSERT(from >= 0 && from + length <= patch.length);
    if (patch.copy)
        ReadExactly(*patch.copy, buffer, length, offset);
    else
        std::memcpy(buffer, patch.bytes.constData() + from, size_t(length));
}
