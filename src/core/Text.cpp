#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
    return QString::fromLocal8Bit(std::strerror(errorNumber));
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
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) refuse(errno);
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int errorNumber = errno;
            ::close(fd);
            refuse(errorNumber);
        }
        if (n == 0) break;
        bytes.append(buffer, n);
    }
    ::close(fd);
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
