#pragma once
// Text helpers shared by every reader and writer of the data files.

#include <QByteArray>
#include <QString>

#include <stdexcept>

// A data file is missing, unreadable or malformed. The message names the file,
// what is wrong and what to do; the program shows it once and ends.
class DataFileError : public std::runtime_error {
  public:
    explicit DataFileError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// A data file could not be opened or read, with the system's error number so
// that a reader can tell a missing folder from a busy file. The subject names
// the file in a question to the user ("成績ファイル").
class FileAccessError : public DataFileError {
  public:
    FileAccessError(const QString& message, int errorNumber,
                    QString subject = QStringLiteral("ファイル"))
        : DataFileError(message), errorNumber_(errorNumber), subject_(std::move(subject)) {}
    int errorNumber() const { return errorNumber_; }
    const QString& subject() const { return subject_; }

  private:
    int errorNumber_;
    QString subject_;
};

// The system's text for an error number.
QString SystemErrorText(int errorNumber);

// Code page 932 (Shift-JIS with the Windows extensions) both ways.
QString DecodeCp932(const QByteArray& bytes);
QByteArray EncodeCp932(const QString& text);

// Reads a whole file as code page 932 text; throws FileAccessError when it cannot.
QString ReadCp932File(const QString& path);

// Writes bytes beside path and renames them over it, so that the old file
// stays whole until the new one is complete. Returns what went wrong, for a
// person, or an empty text. Windows cannot replace a file that another
// program holds open (a spreadsheet showing the old one): the message names
// the file and says to close it there.
QString ReplaceWholeFile(const QString& path, const QByteArray& bytes);

// The last k characters of (k blanks followed by text): right-aligned in k.
QString RightAlign(const QString& text, int k);
QString RightAlign(long long number, int k);

// A number in its shortest decimal form: 1, 1.5, 0.25 (no exponent, no padding).
QString PlainNumber(double value);

// A number as typed with the Japanese input method on: full-width digits,
// point, plus and minus (and the minus sign) become their ASCII forms; any
// other character stays, so a word is still refused where a number is read.
QString HalfWidthNumber(const QString& typed);

// Both separators count: "a\b/c" ends with a separator, a path joins either way.
bool EndsWithSeparator(const QString& path);
QString WithTrailingSeparator(const QString& path);
// Turns backslashes into the native separator of this system.
QString NormalisePath(const QString& path);
