#pragma once
// The classic comma-separated value rules every data file is written in:
// commas and line ends (CR LF or LF) separate values; blanks around a value are
// ignored; double quotes enclose a value that may hold commas or line ends; a
// numeric read of a text that is not a number gives 0. Reading past the end
// throws a DataFileError naming the file.

#include <QString>

class CsvReader {
public:
    CsvReader(QString text, QString fileName);
    // Reads a code page 932 file; throws DataFileError when it cannot be read.
    static CsvReader fromFile(const QString& path);

    // True when nothing but blanks and line ends is left, and no comma has
    // promised one more (possibly empty) value: "a," holds two values.
    bool atEnd() const;
    QString readText();
    double readNumber();
    // Line number (1-based) of the next value to be read.
    int line() const { return line_; }
    const QString& fileName() const { return fileName_; }

    // The number a text reads as: 0 when it is not a number.
    static double ToNumber(const QString& text, bool* isNumber = nullptr);

private:
    void skipBlanks();
    void skipDelimiter();

    QString text_;
    QString fileName_;
    qsizetype pos_ = 0;
    int line_ = 1;
    bool afterComma_ = false;
};
