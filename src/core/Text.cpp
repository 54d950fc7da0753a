#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString ReadCp932File(const QString& path) {
    QFile file(path);
    if (!file.exists())
        throw DataFileError(QStringLiteral("ファイルがありません: %1").arg(QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw DataFileError(QStringLiteral("ファイルを読めません: %1（%2）")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    return DecodeCp932(file.readAll());
}

QString RightAlign(const QString& text, int k) {
    const QString padded = QString(k, QLatin1Char(' ')) + text;
    return padded.right(k);
}

QString RightAlign(long long number, int k) { return RightAlign(QString::number(number), k); }

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
