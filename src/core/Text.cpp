#include "core/Text.h"

#include "platform/File.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cmath>

namespace {
constexpr const char* kCp932 = "windows-31j";
}

QString DecodeCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCp932);
    return decoder.decode(bytes);
}

QByteArray EncodeCp932(const QString& text) {
    QStringEncoder encoder(kCp932);
    return encoder.encode(text);
}

QString SystemErrorText(int errorNumber) {
    return platform::ErrorText(errorNumber);
}

namespace {
// The whole file in one go; a folder in the file's place fails here with
// EISDIR rather than reading as empty.
QByteArray ReadWholeFile(const QString& path) {
    const auto refuse = [&path](int errorNumber) {
        const QString native = QDir::toNativeSeparators(path);
        throw FileAccessError(errorNumber == ENOENT
                                  ? QStringLiteral("ファイルがありません: %1").arg(native)
                                  : QStringLiteral("ファイルを読めません: %1（%2、エラー番号 %3）")
                                        .arg(native, SystemErrorText(errorNumber))
                                        .arg(errorNumber),
                              errorNumber);
    };
    platform::File file;
    qint64 size = 0;
    if (const int error = file.open(path, platform::File::Access::Read)) refuse(error);
    if (const int error = file.size(size)) refuse(error);
    // Read past the length seen, in case the file grows meanwhile.
    QByteArray bytes(size + 1, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        qint64 n = 0;
        if (const int error = file.readAt(bytes.data() + done, bytes.size() - done, done, n))
            refuse(error);
        done += n;
        if (done < bytes.size()) break;
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(done);
    return bytes;
}
} // namespace

QString ReadCp932File(const QString& path) {
    return DecodeCp932(ReadWholeFile(path));
}

QString RightAlign(const QString& text, int k) {
    const QString padded = QString(k, QLatin1Char(' ')) + text;
    return padded.right(k);
}

QString RightAlign(long long number, int k) {
    return RightAlign(QString::number(number), k);
}

QString PlainNumber(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    // Shortest text that reads back as the same value.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

bool EndsWithSeparator(const QString& path) {
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

QString WithTrailingSeparator(const QString& path) {
    return EndsWithSeparator(path) ? path : path + QLatin1Char('/');
}

QString NormalisePath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}
