#include "core/CsvReader.h"

#include "core/Text.h"

#include <QDir>

#include <cmath>

namespace {
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool IsLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

CsvReader::CsvReader(QString text, QString fileName)
    : text_(std::move(text)), fileName_(std::move(fileName)) {}

CsvReader CsvReader::fromFile(const QString& path, const QString& contents) {
    try {
        return CsvReader(ReadCp932File(path), path);
    } catch (const FileAccessError& error) {
        if (contents.isEmpty()) throw;
        throw FileAccessError(error.message() + QLatin1Char('\n') + contents, error.errorNumber(),
                              error.subject());
    }
}

bool CsvReader::atEnd() const {
    if (afterComma_) return false;
    for (qsizetype i = pos_; i < text_.size(); ++i)
        if (!IsBlank(text_[i]) && !IsLineEnd(text_[i]) && text_[i] != QChar(0x1A)) return false;
    return true;
}

void CsvReader::skipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_]))
        ++pos_;
}

void CsvReader::skipDelimiter() {
    skipBlanks();
    afterComma_ = false;
    atLineEnd_ = true;
    if (pos_ >= text_.size()) return;
    const QChar c = text_[pos_];
    if (c == QLatin1Char(',')) {
        ++pos_;
        afterComma_ = true;
        atLineEnd_ = false;
    } else if (c == QLatin1Char('\r')) {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == QLatin1Char('\n')) ++pos_;
        ++line_;
    } else if (c == QLatin1Char('\n')) {
        ++pos_;
        ++line_;
    }
}

QString CsvReader::readText() {
    skipBlanks();
    if (pos_ >= text_.size() && afterComma_) {
        afterComma_ = false; // the empty value after a final comma
        atLineEnd_ = true;
        return QString();
    }
    if (pos_ >= text_.size())
        throw DataFileError(
            QStringLiteral(
                "%1 の %2 行目: 値が足りません（ファイルの終わりを越えて読もうとしました）。")
                .arg(QDir::toNativeSeparators(fileName_))
                .arg(line_));
    QString value;
    if (text_[pos_] == QLatin1Char('"')) {
        const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_ + 1);
        const qsizetype end = close < 0 ? text_.size() : close;
        value = text_.mid(pos_ + 1, end - pos_ - 1);
        line_ += int(value.count(QLatin1Char('\n')));
        pos_ = close < 0 ? end : close + 1;
        // Anything between the closing quote and the delimiter is dropped.
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !IsLineEnd(text_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !IsLineEnd(text_[pos_]))
            ++pos_;
        value = text_.mid(start, pos_ - start);
        while (!value.isEmpty() && IsBlank(value.back()))
            value.chop(1);
    }
    skipDelimiter();
    return value;
}

double CsvReader::ToNumber(const QString& text, bool* isNumber) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    ok = ok && std::isfinite(value);
    if (isNumber) *isNumber = ok;
    return ok ? value : 0.0;
}

double CsvReader::readNumber() {
    return ToNumber(readText());
}

void CsvReader::skipBlankLines() {
    if (afterComma_) return;
    for (;;) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == QChar(0x1A)) {
            ++pos_; // the end-of-file mark some editors leave
            continue;
        }
        if (pos_ >= text_.size() || !IsLineEnd(text_[pos_])) return;
        skipDelimiter();
    }
}

QStringList CsvReader::readLine() {
    skipBlankLines();
    QStringList values;
    if (atEnd()) return values;
    lastLineStart_ = line_;
    do
        values << readText();
    while (!atLineEnd_);
    return values;
}

QStringList CsvReader::readLineOf(int count, const QString& lineLabel, const QString& contents) {
    QStringList values = readLine();
    if (values.size() != count)
        throw DataFileError(
            QStringLiteral("%1 の %2 行目%3: 値が %4 個あります。1 行に %5 個の値が必要です。\n%6")
                .arg(QDir::toNativeSeparators(fileName_), QString::number(lastLineStart_),
                     lineLabel, QString::number(values.size()), QString::number(count), contents));
    return values;
}
