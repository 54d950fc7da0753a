#pragma once
// The classic comma-separated value rules every data file is written in:
// commas and line ends (CR LF or LF) separate values; blanks around a value are
// ignored; double quotes enclose a value that may hold commas or line ends; a
// numeric read of a text that is not a number gives 0. Reading past the end
// throws a DataFileError naming the file. Files of one record a line are read
// a line at a time, so that a line short of values is refused rather than
// taking the next line's values.

#include <QString>
#include <QStringList>

class CsvReader {
  public:
    CsvReader(QString text, QString fileName);
    // Reads a code page 932 file; throws FileAccessError when it cannot be
    // read, its message followed by `contents`: what the file must hold.
    static CsvReader fromFile(const QString& path, const QString& contents = QString());

    // True when nothing but blanks and line ends is left, and no comma has
    // promised one more (possibly empty) value: "a," holds two values.
    bool atEnd() const;
    QString readText();
    double readNumber();
    // The values of the next line that holds any (blank lines are skipped);
    // empty at the end of the text.
    QStringList readLine();
    // The next line, which must hold exactly `count` values; otherwise throws
    // a DataFileError naming the file, the line (as a text editor counts it,
    // followed by lineLabel) and, from `contents`, what a line must hold.
    QStringList readLineOf(int count, const QString& lineLabel, const QString& contents);
    // The line number at which the last line read with readLine started.
    int lineOfLastLine() const { return lastLineStart_; }
    // Line number (1-based) of the next value to be read.
    int line() const { return line_; }
    const QString& fileName() const { return fileName_; }

    // The number a text reads as: 0 when it is not a number.
    static double ToNumber(const QString& text, bool* isNumber = nullptr);

  private:
    void skipBlanks();
    void skipDelimiter();
    void skipBlankLines();

    QString text_;
    QString fileName_;
    qsizetype pos_ = 0;
    int line_ = 1;
    bool afterComma_ = false;
    bool atLineEnd_ = false; // the last value ended its line (or the text)
    int lastLineStart_ = 0;
};
