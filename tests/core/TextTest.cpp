#include "core/Text.h"
#include "core/CsvReader.h"
#include <QTemporaryFile>

#include <gtest/gtest.h>

TEST(Cp932, RoundTripsTheWindowsExtensions) {
    const QString text = QStringLiteral("①Ⅰ髙～円周１ｸﾘｱ");
    const QByteArray bytes = EncodeCp932(text);
    EXPECT_EQ(DecodeCp932(bytes), text);
    // ～ is FULLWIDTH TILDE, 0x8160 in the Windows code page.
    EXPECT_EQ(EncodeCp932(QStringLiteral("～")), QByteArray("\x81\x60"));
    EXPECT_EQ(DecodeCp932(QByteArray("\x81\x60")), QString(QChar(0xFF5E)));
    EXPECT_EQ(EncodeCp932(QStringLiteral("①")), QByteArray("\x87\x40"));
    EXPECT_EQ(EncodeCp932(QStringLiteral("Ⅰ")), QByteArray("\x87\x54"));
    EXPECT_EQ(EncodeCp932(QStringLiteral("髙")), QByteArray("\xFB\xFC"));
    // Half-width katakana are single bytes.
    EXPECT_EQ(EncodeCp932(QStringLiteral("ｸ")).size(), 1);
}

TEST(RightAlign, KeepsTheLastCharacters) {
    EXPECT_EQ(RightAlign(12, 5), QStringLiteral("   12"));
    EXPECT_EQ(RightAlign(1234, 3), QStringLiteral("234"));
    EXPECT_EQ(RightAlign(QString(), 2), QStringLiteral("  "));
}

TEST(PlainNumber, WritesTheShortestDecimal) {
    EXPECT_EQ(PlainNumber(1.0), QStringLiteral("1"));
    EXPECT_EQ(PlainNumber(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(PlainNumber(double(1.1f)), QStringLiteral("1.100000023841858"));
    EXPECT_EQ(PlainNumber(-3), QStringLiteral("-3"));
}

namespace {
QStringList ReadAll(const QString& text) {
    CsvReader reader(text, QStringLiteral("t.txt"));
    QStringList values;
    while (!reader.atEnd())
        values << reader.readText();
    return values;
}
} // namespace

TEST(CsvReader, SeparatesByCommasAndBothLineEnds) {
    EXPECT_EQ(ReadAll(QStringLiteral("a,b\r\nc\nd")), (QStringList{"a", "b", "c", "d"}));
}

TEST(CsvReader, IgnoresBlanksAroundValuesButKeepsInnerOnes) {
    EXPECT_EQ(ReadAll(QStringLiteral("  a b  ,\tc \r\n")), (QStringList{"a b", "c"}));
}

TEST(CsvReader, QuotedValuesHoldCommasAndLineEnds) {
    EXPECT_EQ(ReadAll(QStringLiteral("\"a,b\",\" c \"\r\n\"x\r\ny\",z")),
              (QStringList{"a,b", " c ", "x\r\ny", "z"}));
}

TEST(CsvReader, TextAfterAClosingQuoteIsDropped) {
    EXPECT_EQ(ReadAll(QStringLiteral("\"ab\"cd,e")), (QStringList{"ab", "e"}));
}

TEST(CsvReader, UnterminatedQuoteRunsToTheEnd) {
    EXPECT_EQ(ReadAll(QStringLiteral("\"abc,def")), (QStringList{"abc,def"}));
}

TEST(CsvReader, EmptyFieldsAreValues) {
    EXPECT_EQ(ReadAll(QStringLiteral(",,a,\r\nb")), (QStringList{"", "", "a", "", "b"}));
}

TEST(CsvReader, AFinalCommaPromisesAnEmptyValue) {
    EXPECT_EQ(ReadAll(QStringLiteral("a,b,")), (QStringList{"a", "b", ""}));
    EXPECT_EQ(ReadAll(QStringLiteral("a,,\r\n")), (QStringList{"a", "", ""}));
    EXPECT_EQ(ReadAll(QStringLiteral("a,,")), ReadAll(QStringLiteral("a,,\r\n")));
    CsvReader reader(QStringLiteral("a,"), QStringLiteral("t.txt"));
    reader.readText();
    reader.readText();
    EXPECT_TRUE(reader.atEnd());
    EXPECT_THROW(reader.readText(), DataFileError);
}

TEST(CsvReader, ATrailingLineEndAddsNoValue) {
    EXPECT_EQ(ReadAll(QStringLiteral("a,b\r\n")), ReadAll(QStringLiteral("a,b")));
    EXPECT_EQ(ReadAll(QStringLiteral("a\r\n\r\n  \r\n")), (QStringList{"a"}));
    EXPECT_TRUE(CsvReader(QString(), QStringLiteral("e")).atEnd());
}

TEST(CsvReader, NumbersReadAsNumbersAndTextAsZero) {
    CsvReader reader(QStringLiteral("60, 1.5 ,-3,abc,,1e2,12abc,inf"), QStringLiteral("n.txt"));
    EXPECT_EQ(reader.readNumber(), 60);
    EXPECT_EQ(reader.readNumber(), 1.5);
    EXPECT_EQ(reader.readNumber(), -3);
    EXPECT_EQ(reader.readNumber(), 0);
    EXPECT_EQ(reader.readNumber(), 0);
    EXPECT_EQ(reader.readNumber(), 100);
    EXPECT_EQ(reader.readNumber(), 0);
    EXPECT_EQ(reader.readNumber(), 0);
}

TEST(CsvReader, ReadingPastTheEndNamesTheFileAndLine) {
    CsvReader reader(QStringLiteral("a\r\nb\r\n"), QStringLiteral("/x/パスデータ.txt"));
    reader.readText();
    EXPECT_EQ(reader.line(), 2);
    reader.readText();
    try {
        reader.readText();
        FAIL() << "no error past the end";
    } catch (const DataFileError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("パスデータ.txt")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("3 行目")));
    }
}

TEST(CsvReader, MissingFileIsAClearError) {
    try {
        CsvReader::fromFile(QStringLiteral("/nonexistent/共通データ.txt"));
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("共通データ.txt")));
    }
}

TEST(CsvReader, ReadsCodePage932Files) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(EncodeCp932(QStringLiteral("円周１,\"髙橋,①\"\r\n")));
    file.close();
    CsvReader reader = CsvReader::fromFile(file.fileName());
    EXPECT_EQ(reader.readText(), QStringLiteral("円周１"));
    EXPECT_EQ(reader.readText(), QStringLiteral("髙橋,①"));
    EXPECT_TRUE(reader.atEnd());
}

TEST(CsvReader, AnEmptyLastFieldIsStillAValue) {
    EXPECT_EQ(ReadAll(QStringLiteral("a,,\r\n")), (QStringList{"a", "", ""}));
    EXPECT_EQ(ReadAll(QStringLiteral("a,")), (QStringList{"a", ""}));
}

TEST(CsvReader, ReadsALineAtATimeSkippingBlankLinesAndCountingLinesAsAnEditorDoes) {
    CsvReader reader(QStringLiteral("a,b\r\n\r\n  \r\n\"c,\r\nd\",e,\r\nf\n\x1a"),
                     QStringLiteral("t.txt"));
    EXPECT_EQ(reader.readLine(), (QStringList{"a", "b"}));
    EXPECT_EQ(reader.lineOfLastLine(), 1);
    EXPECT_EQ(reader.readLine(), (QStringList{"c,\r\nd", "e", ""}));
    EXPECT_EQ(reader.lineOfLastLine(), 4);
    EXPECT_EQ(reader.readLine(), (QStringList{"f"}));
    EXPECT_EQ(reader.lineOfLastLine(), 6);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(reader.readLine().isEmpty());
}

TEST(CsvReader, ALineOfTheWrongLengthNamesTheFileTheLineAndWhatItMustHold) {
    CsvReader reader(QStringLiteral("1,2,3\n\n1,2\n"), QStringLiteral("/x/新名簿.txt"));
    EXPECT_EQ(reader.readLineOf(3, QString(), QStringLiteral("3 values")),
              (QStringList{"1", "2", "3"}));
    try {
        reader.readLineOf(3, QStringLiteral("（二人目）"), QStringLiteral("3 values"));
        FAIL() << "no error";
    } catch (const DataFileError& error) {
        EXPECT_TRUE(error.message().contains(
            QStringLiteral("新名簿.txt の 3 行目（二人目）: 値が 2 個あります。")))
            << error.message().toStdString();
        EXPECT_TRUE(error.message().endsWith(QStringLiteral("3 values")));
    }
}
