#include "core/Text.h"

#include "platform/File.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
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

QString ReplaceWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    const QString shown = QDir::toNativeSeparators(path);
    if (file.error() == QFileDevice::RenameError)
        return QStringLiteral(
                   "%1 を書き換えられません。Excel などのほかのプログラムで開いているときは、"
                   "そこで閉じてから、もう一度してください（%2）。")
            .arg(shown, file.errorString());
    return QStringLiteral("%1 に書けません（%2）。").arg(shown, file.errorString());
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

QString HalfWidthNumber(const QString& typed) {
    QString text = typed;
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'．')
            c = u'.';
        else if (u == u'＋')
            c = u'+';
        else if (u == u'－' || u == u'−')
            c = u'-';
    }
    return text;
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
