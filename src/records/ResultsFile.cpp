#include "records/ResultsFile.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTextWidth = kRecordTextWidth;
static_assert(RecordOffset::Reserved + kTextWidth == kRecordSize);

QString SystemError(int errorNumber) { return QString::fromLocal8Bit(std::strerror(errorNumber)); }

[[noreturn]] void ThrowFileError(const QString& what, const QString& path, int errorNumber) {
    throw ResultsFileError(QStringLiteral("成績ファイル %1 を%2できません（%3、エラー番号 %4）。"
                                          "データフォルダとネットワークを確かめてください。")
                               .arg(QDir::toNativeSeparators(path), what, SystemError(errorNumber))
                               .arg(errorNumber),
                           errorNumber);
}

template <typename T> void Store(char* bytes, int offset, T value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

// Code page 932 bytes cut to the field width (never inside a double-byte
// character) and padded with blanks.
void StoreText(char* bytes, int offset, const QString& text) {
    QString fitted = text;
    QByteArray encoded = EncodeCp932(fitted);
    while (encoded.size() > kTextWidth) {
        fitted.chop(1);
        encoded = EncodeCp932(fitted);
    }
    std::memset(bytes + offset, ' ', kTextWidth);
    std::memcpy(bytes + offset, encoded.constData(), size_t(encoded.size()));
}

QString LoadText(const char* bytes, int offset) {
    return DecodeCp932(QByteArray(bytes + offset, kTextWidth));
}

// Reads the whole records from offset on into bytes (resized to what was
// read): pread until done or the end of the file, which comes early when the
// records browser on another machine shortens the file meanwhile.
void ReadWholeRecords(const ResultsFileHandle& file, QByteArray& bytes, qint64 offset) {
    char* buffer = bytes.data();
    qint64 length = bytes.size();
    while (length > 0) {
        const ssize_t n = ::pread(file.fd(), buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowFileError(QStringLiteral("読み込み"), file.path(), errno);
        if (n == 0)
            break;
        buffer += n;
        length -= n;
        offset += n;
    }
    const qint64 read = bytes.size() - length;
    bytes.truncate(read - read % kRecordSize);
}

void WriteFully(const ResultsFileHandle& file, const char* buffer, qint64 length, qint64 offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(file.fd(), buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowFileError(QStringLiteral("書き込み"), file.path(), errno);
        buffer += n;
        length -= n;
        offset += n;
    }
}

bool FolderExists(const QString& path) { return QFileInfo(QFileInfo(path).absolutePath()).isDir(); }

// A reader's view of the file: absent in an existing folder is empty.
std::unique_ptr<ResultsFileHandle> OpenForReading(const QString& path) {
    if (!QFileInfo::exists(path) && FolderExists(path))
        return nullptr;
    return std::make_unique<ResultsFileHandle>(path, false);
}

QString PaddedNumber(int value) { return QString::number(value).leftJustified(kTextWidth, QLatin1Char(' ')); }

} // namespace

bool ResultRecord::isValid() const { return IsValidRecord(date, student, level); }

QByteArray EncodeRecord(const ResultRecord& record) {
    QByteArray bytes(kRecordSize, '\0');
    char* b = bytes.data();
    Store(b, RecordOffset::Date, record.date);
    Store(b, RecordOffset::Time, record.timeOfDay);
    Store(b, RecordOffset::Student, record.student);
    Store(b, RecordOffset::Level, record.level);
    Store(b, RecordOffset::Result, record.result);
    StoreText(b, RecordOffset::Classroom, record.classroomCode);
    StoreText(b, RecordOffset::ExtraPoints, record.extraPoints);
    StoreText(b, RecordOffset::Points, record.pointsText);
    return bytes;
}

ResultRecord DecodeRecord(const char* bytes) {
    const RecordNumbers n = DecodeRecordNumbers(bytes);
    ResultRecord record;
    record.date = n.date;
    record.timeOfDay = n.timeOfDay;
    record.student = n.student;
    record.level = n.level;
    record.result = n.result;
    record.classroomCode = LoadText(bytes, RecordOffset::Classroom);
    record.extraPoints = LoadText(bytes, RecordOffset::ExtraPoints);
    record.pointsText = LoadText(bytes, RecordOffset::Points);
    return record;
}

QString ResultsFilePath(const ProgramState& state) {
    return NormalisePath(state.folders.DataFolder + kResultsFileName);
}

ResultsFileHandle::ResultsFileHandle(const QString& path, bool forWriting) : path_(path) {
    const QByteArray native = QFile::encodeName(path);
    const int flags = forWriting ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC);
    do {
        fd_ = ::open(native.constData(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        ThrowFileError(QStringLiteral("開くことが"), path, errno);
}

ResultsFileHandle::~ResultsFileHandle() {
    if (fd_ >= 0)
        ::close(fd_);
}

qint64 ResultsFileHandle::size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        ThrowFileError(QStringLiteral("調べることが"), path_, errno);
    return qint64(info.st_size);
}

namespace {
int SetWholeFileLock(int fd, short type, int command) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however far the file grows
    int rc;
    do {
        rc = ::fcntl(fd, command, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc;
}
} // namespace

ResultsFileLock::ResultsFileLock(const ResultsFileHandle& file) : file_(file) {
    if (SetWholeFileLock(file.fd(), F_WRLCK, F_SETLKW) != 0)
        ThrowFileError(QStringLiteral("ロックすることが"), file.path(), errno);
}

ResultsFileLock::~ResultsFileLock() { SetWholeFileLock(file_.fd(), F_UNLCK, F_SETLK); }

void AppendRecord(const QString& path, const ResultRecord& record) {
    const QByteArray bytes = EncodeRecord(record);
    ResultsFileHandle file(path, true);
    ResultsFileLock lock(file);
    // Under the lock, so no two writers pick the same record; a torn tail
    // (length not a multiple of 44) is overwritten.
    const qint64 end = file.size() / kRecordSize * kRecordSize;
    WriteFully(file, bytes.constData(), kRecordSize, end);
}

void AppendResult(ProgramState& state) {
    const QDateTime now = state.platform.clock->now();
    const QTime time = now.time();
    ResultRecord record;
    record.date = ToOleDay(now.date());
    record.timeOfDay = ToOleTimeOfDay(QTime(time.hour(), time.minute(), time.second()));
    record.student = int16_t(state.session.StudentNo);
    record.level = int16_t(state.LevelNo); // the low 16 bits
    record.result = state.ResultValue;
    record.classroomCode = state.common.ClassroomCode;
    record.extraPoints = QString(kTextWidth, QLatin1Char(' '));
    record.pointsText = PaddedNumber(state.EarnedPoints);
    AppendRecord(ResultsFilePath(state), record);
}

qint64 RecordCount(const QString& path) {
    const auto file = OpenForReading(path);
    return file ? file->size() / kRecordSize : 0;
}

std::vector<ResultRecord> ReadRecords(const QString& path, qint64 first, qint64 last) {
    std::vector<ResultRecord> records;
    const auto file = OpenForReading(path);
    if (!file)
        return records;
    first = std::max<qint64>(first, 1);
    last = std::min(last, file->size() / kRecordSize);
    if (last < first)
        return records;
    QByteArray bytes((last - first + 1) * kRecordSize, Qt::Uninitialized);
    ReadWholeRecords(*file, bytes, (first - 1) * kRecordSize);
    const qint64 count = bytes.size() / kRecordSize;
    records.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i)
        records.push_back(DecodeRecord(bytes.constData() + i * kRecordSize));
    return records;
}

std::optional<ResultRecord> ReadRecord(const QString& path, qint64 number) {
    auto records = ReadRecords(path, number, number);
    if (records.empty())
        return std::nullopt;
    return records.front();
}

QByteArray ReadLastRecordBytes(const QString& path, qint64 maxCount) {
    const auto file = OpenForReading(path);
    if (!file)
        return {};
    const qint64 total = file->size() / kRecordSize;
    const qint64 count = std::min(total, std::max<qint64>(maxCount, 0));
    QByteArray bytes(count * kRecordSize, Qt::Uninitialized);
    ReadWholeRecords(*file, bytes, (total - count) * kRecordSize);
    return bytes;
}
