#include "TestDoubles.h"

#include "core/Text.h"
#include "records/Criteria.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kHeading =
    u"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"_s;
const QString kSevenLevels = u"30,60,50,5,1,15,150,30,1,,,\n"
                             "35,70,50,5,1.2,15,180,30,1,,,\n"
                             "40,80,60,5,1.4,15,210,30,1,,,\n"
                             "45,90,60,5,1.5,15,225,30,1,,,\n"
                             "50,100,70,6,1.6,15,240,30,1,,,\n"
                             "55,110,70,6,1.8,15,270,30,1,,,\n"
                             "60,120,9999,6,2,15,300,30,1,,,\n"_s;

CriteriaValue Number(double n) {
    return {CriteriaValue::Kind::Number, n, QString()};
}
CriteriaValue Text(const QString& t) {
    return {CriteriaValue::Kind::Text, 0, t};
}

class CriteriaFile : public ::testing::Test {
  protected:
    CriteriaFile() { state.folders.DataFolder = install.dataFolder(); }

    QString path() const { return install.dataFolder() + kCriteriaFileName; }
    void write(const QString& text) const { install.writeText(path(), text); }
    QByteArray bytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString loadFailure() {
        try {
            LoadCriteria(state);
        } catch (const DataFileError& error) {
            return error.message();
        }
        return QString();
    }

    TempInstall install;
    ProgramState state;
};

void ExpectSameTables(const CriteriaTables& a, const CriteriaTables& b) {
    EXPECT_EQ(a.TargetTime, b.TargetTime);
    EXPECT_EQ(a.LowestTime, b.LowestTime);
    EXPECT_EQ(a.ClearPoint, b.ClearPoint);
    EXPECT_EQ(a.ClearCount, b.ClearCount);
    EXPECT_EQ(a.PointRate, b.PointRate);
    EXPECT_EQ(a.OverdoCount, b.OverdoCount);
    EXPECT_EQ(a.OverdoPoint, b.OverdoPoint);
    EXPECT_EQ(a.PassDays, b.PassDays);
    EXPECT_EQ(a.OverdoDays, b.OverdoDays);
    EXPECT_EQ(a.CriteriaSpare1, b.CriteriaSpare1);
    EXPECT_EQ(a.CriteriaSpare2, b.CriteriaSpare2);
    EXPECT_EQ(a.CriteriaSpare3, b.CriteriaSpare3);
    EXPECT_EQ(a.LoadedLevels, b.LoadedLevels);
}

int gCriteriaWarnings = 0;
void CountCriteriaWarnings(QtMsgType type, const QMessageLogContext& context, const QString&) {
    if (type == QtWarningMsg && QString::fromLatin1(context.category) == u"drill.criteria"_s)
        ++gCriteriaWarnings;
}
} // namespace

TEST_F(CriteriaFile, ReadsTheExampleLineIntoTheTwelveTables) {
    write(kHeading + u"\n60, 120,100 ,5,1.5,20,2000,7,1,,,\n"_s);
    LoadCriteria(state);
    const CriteriaTables& t = state.criteria;
    EXPECT_EQ(t.LoadedLevels, 1);
    EXPECT_EQ(t.TargetTime[1], 60);
    EXPECT_EQ(t.LowestTime[1], 120);
    EXPECT_EQ(t.ClearPoint[1], 100);
    EXPECT_EQ(t.ClearCount[1], 5);
    EXPECT_EQ(t.PointRate[1], 1.5f);
    EXPECT_EQ(t.OverdoCount[1], Number(20));
    EXPECT_EQ(t.OverdoPoint[1], Number(2000));
    EXPECT_EQ(t.PassDays[1], Number(7));
    EXPECT_EQ(t.OverdoDays[1], Number(1));
    EXPECT_EQ(t.CriteriaSpare1[1], CriteriaValue());
    EXPECT_EQ(t.CriteriaSpare3[1], CriteriaValue());
    // The heading lands at index 0: zeros in the fixed columns, texts in the others.
    EXPECT_EQ(t.TargetTime[0], 0);
    EXPECT_EQ(t.PointRate[0], 0.0f);
    EXPECT_EQ(t.OverdoCount[0], Text(u"禁回"_s));
    EXPECT_EQ(t.OverdoDays[0], Text(u"禁期間"_s));
    EXPECT_EQ(t.CriteriaSpare2[0], CriteriaValue());
}

TEST_F(CriteriaFile, FillsTheLevelsOfTheFileWithOrWithoutAFinalLineEnd) {
    for (const bool finalLineEnd : {true, false}) {
        SCOPED_TRACE(finalLineEnd);
        QString text = kHeading + u"\n"_s + kSevenLevels;
        if (!finalLineEnd) text.chop(1);
        write(text);
        state.criteria = CriteriaTables();
        state.criteria.TargetTime[8] = 77;
        state.criteria.OverdoCount[8] = Number(3);
        LoadCriteria(state);
        const CriteriaTables& t = state.criteria;
        EXPECT_EQ(t.LoadedLevels, 7);
        EXPECT_EQ(t.TargetTime[1], 30);
        EXPECT_EQ(t.LowestTime[7], 120);
        EXPECT_EQ(t.ClearPoint[7], 9999);
        EXPECT_EQ(t.PointRate[2], 1.2f);
        EXPECT_EQ(t.OverdoDays[7], Number(1));
        // Levels beyond the file keep what they held.
        EXPECT_EQ(t.TargetTime[8], 77);
        EXPECT_EQ(t.OverdoCount[8], Number(3));
        EXPECT_EQ(t.TargetTime[9], 0);
        EXPECT_EQ(t.OverdoCount[9], CriteriaValue());
    }
}

TEST_F(CriteriaFile, ReadsEmptyAndNonNumericFieldsAsTheRulesSay) {
    write(kHeading + u"\n,60,abc,2.5,x,y,\"\",3.5,-1,1,2,3\n"_s);
    LoadCriteria(state);
    const CriteriaTables& t = state.criteria;
    EXPECT_EQ(t.TargetTime[1], 0);
    EXPECT_EQ(t.ClearPoint[1], 0);
    EXPECT_EQ(t.ClearCount[1], 2); // half to even
    EXPECT_EQ(t.PointRate[1], 0.0f);
    EXPECT_EQ(t.OverdoCount[1], Text(u"y"_s));
    EXPECT_EQ(t.OverdoPoint[1], CriteriaValue());
    EXPECT_EQ(t.PassDays[1], Number(3.5));
    EXPECT_EQ(t.OverdoDays[1], Number(-1));
    EXPECT_EQ(t.CriteriaSpare3[1], Number(3));
}

TEST_F(CriteriaFile, KeepsTheFirst35LevelsAndWarnsOnceAboutMore) {
    QString text = kHeading + u"\n"_s;
    for (int level = 1; level <= 40; ++level)
        text += u"%1,100,50,5,1,15,150,30,1,,,\n"_s.arg(level);
    write(text);
    gCriteriaWarnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountCriteriaWarnings);
    LoadCriteria(state);
    qInstallMessageHandler(previous);
    EXPECT_EQ(gCriteriaWarnings, 1);
    EXPECT_EQ(state.criteria.LoadedLevels, 35);
    EXPECT_EQ(state.criteria.TargetTime[35], 35);
    EXPECT_EQ(ReadCriteriaRows(state).size(), 36u);
}

TEST_F(CriteriaFile, RefusesAMissingOrShortFileAndChangesNothing) {
    struct Case {
        const char* what;
        QString text; // empty: no file
        QStringList expected;
    };
    const Case cases[] = {
        {"no file",
         QString(),
         {u"タイム回数データ.txt"_s, u"ファイルがありません"_s, u"12 個の値"_s}},
        {"heading only", kHeading + u"\n"_s, {u"レベルの行がありません"_s, u"12 個の値"_s}},
        {"last line short",
         kHeading + u"\n1,2,3,4,5,6,7,8,9,10,11,12\n1,2,3,4,5,6,7,8,9,10,11\n"_s,
         {u"タイム回数データ.txt"_s, u"3 行目（レベル 2）"_s, u"値が 11 個"_s, u"12 個の値"_s}},
        {"count beyond 16 bits",
         kHeading + u"\n1,2,3,40000,5,6,7,8,9,10,11,12\n"_s,
         {u"レベル 1"_s, u"ｸﾘｱ回数"_s, u"40000"_s}},
        {"time beyond 32 bits",
         kHeading + u"\n3000000000,2,3,4,5,6,7,8,9,10,11,12\n"_s,
         {u"レベル 1"_s, u"目標Time"_s}},
        {"rate beyond single precision",
         kHeading + u"\n1,2,3,4,1e39,6,7,8,9,10,11,12\n"_s,
         {u"ﾎﾟｲﾝﾄ倍率"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        if (!c.text.isEmpty()) write(c.text);
        state.criteria = CriteriaTables();
        state.criteria.TargetTime[1] = 42;
        const QString message = loadFailure();
        for (const QString& part : c.expected)
            EXPECT_TRUE(message.contains(part))
                << message.toStdString() << " lacks " << part.toStdString();
        EXPECT_EQ(state.criteria.TargetTime[1], 42);
        EXPECT_EQ(state.criteria.LoadedLevels, 0);
    }
}

TEST_F(CriteriaFile, SavingRewritesTheHeadingWithTheCaptions) {
    write(u"a,b,c,d,e,f,g,h,i,j,k,l\n60,120,100,5,1.5,20,2000,7,1,,,\n"_s);
    std::vector<QStringList> rows = ReadCriteriaRows(state);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], u"a"_s);
    rows[0] = CriteriaHeadings();
    SaveCriteria(state, rows);
    EXPECT_EQ(bytes(), EncodeCp932(kHeading + u"\r\n60,120,100,5,1.5,20,2000,7,1,,,\r\n"_s));
}

TEST_F(CriteriaFile, ARoundTripThroughSaveAndLoadChangesNothing) {
    write(kHeading + u"\n"_s + kSevenLevels);
    const QByteArray original = bytes();
    LoadCriteria(state);
    const CriteriaTables loaded = state.criteria;

    SaveCriteria(state, ReadCriteriaRows(state));
    EXPECT_EQ(bytes(), original);
    LoadCriteria(state);
    ExpectSameTables(state.criteria, loaded);
    // Nothing is left beside the file.
    EXPECT_EQ(QDir(install.dataFolder()).entryList(QDir::Files), QStringList{kCriteriaFileName});
}

TEST_F(CriteriaFile, WritesCellsAsTheyStand) {
    std::vector<QStringList> rows{CriteriaHeadings(),
                                  {u" 30"_s, u"60 "_s, u"abc"_s, u"5"_s, u"1.25"_s, QString(),
                                   u"150"_s, u"30"_s, u"1"_s, QString(), QString(), u"x"_s}};
    SaveCriteria(state, rows);
    EXPECT_EQ(bytes(), EncodeCp932(kHeading + u"\r\n 30,60 ,abc,5,1.25,,150,30,1,,,x\r\n"_s));
}

TEST_F(CriteriaFile, RefusesCellsThatWouldShiftTheFieldsAndWritesNothing) {
    write(kHeading + u"\n"_s + kSevenLevels);
    const QByteArray original = bytes();
    struct Case {
        QString cell;
        int row, column;
        QString position;
    };
    const Case cases[] = {
        {u"1,5"_s, 1, 5, u"1 行目 5 列目（ﾎﾟｲﾝﾄ倍率）"_s},
        {u"\"30\""_s, 2, 1, u"2 行目 1 列目（目標Time）"_s},
        {u"7\r\n"_s, 3, 12, u"3 行目 12 列目（予備）"_s},
        {u"a\nb"_s, 0, 9, u"0 行目 9 列目（禁期間）"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell.toStdString());
        std::vector<QStringList> rows = ReadCriteriaRows(state);
        rows[c.row][c.column - 1] = c.cell;
        try {
            SaveCriteria(state, rows);
            ADD_FAILURE() << "saved";
        } catch (const DataFileError& error) {
            EXPECT_TRUE(error.message().contains(c.position)) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(u"タイム回数データ.txt"_s));
        }
        EXPECT_EQ(bytes(), original);
    }
    std::vector<QStringList> shortRow{CriteriaHeadings(), {u"1"_s, u"2"_s}};
    EXPECT_THROW(SaveCriteria(state, shortRow), DataFileError);
    EXPECT_EQ(bytes(), original);
}

TEST_F(CriteriaFile, ReportsAFolderItCannotWriteIn) {
    state.folders.DataFolder = install.root() + u"missing/"_s;
    EXPECT_THROW(SaveCriteria(state, {CriteriaHeadings()}), DataFileError);
}

namespace {
// The values of a file whose lines went wrong by hand: refused with the line
// as an editor counts it, never read with later values shifted.
TEST_F(CriteriaFile, ALineOfTheWrongLengthIsRefusedAndBlankLinesAreSkipped) {
    struct Case {
        const char* what;
        QString text;
        QString refusal; // empty: loads
    };
    const Case cases[] = {
        {"spare columns dropped",
         kHeading + u"\n30,60,50,5,1,15,150,30,1,,,\n35,70,50,5,1.2,15,180,30,1\n"_s,
         u"3 行目（レベル 2）: 値が 9 個あります"_s},
        {"one value too many", kHeading + u"\n30,60,50,5,1,15,150,30,1,,,,\n"_s,
         u"2 行目（レベル 1）: 値が 13 個"_s},
        {"short heading", u"目標Time,最低Time\n30,60,50,5,1,15,150,30,1,,,\n"_s,
         u"1 行目（見出し行）: 値が 2 個"_s},
        {"blank lines between and after",
         kHeading + u"\n\n30,60,50,5,1,15,150,30,1,,,\n  \n\n35,70,50,5,1.2,15,180,30,1,,,\n\n"_s,
         QString()},
        {"a quoted comma is one value", kHeading + u"\n30,60,50,5,1,15,150,30,1,\"a,b\",,\n"_s,
         QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.text);
        state.criteria = CriteriaTables();
        const QString message = loadFailure();
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(message.isEmpty()) << message.toStdString();
            EXPECT_EQ(state.criteria.TargetTime[1], 30);
            EXPECT_EQ(state.criteria.PointRate[1], 1.0f);
            continue;
        }
        EXPECT_TRUE(message.contains(c.refusal)) << message.toStdString();
        EXPECT_TRUE(message.contains(u"12 個の値"_s));
        EXPECT_EQ(state.criteria.LoadedLevels, 0);
        EXPECT_EQ(state.criteria.TargetTime[1], 0);
    }
    write(kHeading + u"\n30,60,50,5,1,15,150,30,1,,,\n\n35,70,50,5,1.2,15,180,30,1,,,\n"_s);
    ASSERT_TRUE(loadFailure().isEmpty());
    EXPECT_EQ(state.criteria.LoadedLevels, 2);
    EXPECT_EQ(state.criteria.TargetTime[2], 35);
    EXPECT_EQ(state.criteria.OverdoPoint[2], Number(180));
}

// A criteria file exactly as installations write it (full lines, CR LF, code
// page 932, text in a variant column) reads to the same tables as always.
TEST_F(CriteriaFile, AnInstallationsFileReadsAsItAlwaysDid) {
    const QByteArray golden = EncodeCp932(kHeading + u"\r\n"_s) +
                              QByteArrayLiteral("30,60,50,5,1,15,150,30,1,,,\r\n"
                                                "35,70,50,5,1.25,\"15\",180,30,1,x,,\r\n"
                                                "40, 80 ,60,5,1.4,15,210,30,1,,,\r\n");
    install.writeBytes(path(), golden);
    ASSERT_TRUE(loadFailure().isEmpty());
    const CriteriaTables& c = state.criteria;
    EXPECT_EQ(c.LoadedLevels, 3);
    EXPECT_EQ((std::array{c.TargetTime[1], c.TargetTime[2], c.TargetTime[3]}),
              (std::array{30, 35, 40}));
    EXPECT_EQ(c.LowestTime[3], 80);
    EXPECT_EQ(c.PointRate[2], 1.25f);
    EXPECT_EQ(c.OverdoCount[2], Number(15));
    EXPECT_EQ(c.CriteriaSpare1[2], Text(u"x"_s));
    EXPECT_EQ(c.CriteriaSpare1[1].kind, CriteriaValue::Kind::Empty);
    EXPECT_EQ(c.OverdoDays[3], Number(1));
}
} // namespace
