#include "TestDoubles.h"

#include "core/Configuration.h"
#include "core/Text.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kSpares9 = QStringLiteral("0\n0\n0\n0\n0\n0\n0\n0\n0\n");
const QString kCommonData = QStringLiteral("4\n01234さくら教室\n1\nabc\n0\nsensei\n0\n0\n0\n0\n");

QString PathDataFile(const TempInstall& install) {
    return install.root() + QStringLiteral("programs/パスデータ.txt");
}
QString CommonDataFile(const TempInstall& install) {
    return install.dataRoot() + QStringLiteral("共通データ.txt");
}

// The message of the DataFileError that loading throws, or "" when it loads.
QString LoadFailure(const TempInstall& install) {
    ProgramState state;
    try {
        LoadFoldersAndCommonSettings(state, install.programFolder());
    } catch (const DataFileError& error) {
        return error.message();
    }
    return QString();
}
} // namespace

TEST(FolderArithmetic, FollowsTheSeparatorOfTheFolder) {
    struct Case {
        QString programFolder, appFolder, pathDataFile, name, commonFolder, dataFolder, soundFolder;
    };
    const Case cases[] = {
        {u"D:\\drills\\circle"_s, u"D:\\drills\\circle\\"_s,
         u"D:\\drills\\circle\\..\\パスデータ.txt"_s, u"circle"_s, u"S:\\data\\"_s,
         u"S:\\data\\circle\\"_s, u"S:\\data\\音フォルダ\\"_s},
        {u"/opt/drills/circle"_s, u"/opt/drills/circle/"_s,
         u"/opt/drills/circle/../パスデータ.txt"_s, u"circle"_s, u"/srv/data/"_s,
         u"/srv/data/circle/"_s, u"/srv/data/音フォルダ/"_s},
        // A folder already ending in a separator, and a common folder given without one.
        {u"D:\\drills\\circle\\"_s, u"D:\\drills\\circle\\"_s,
         u"D:\\drills\\circle\\..\\パスデータ.txt"_s, u"circle"_s, u"S:\\data"_s,
         u"S:\\data\\circle\\"_s, u"S:\\data\\音フォルダ\\"_s},
        // Mixed separators: the last one counts.
        {u"D:/drills\\circle"_s, u"D:/drills\\circle\\"_s,
         u"D:/drills\\circle\\..\\パスデータ.txt"_s, u"circle"_s, u"\\\\server/data/"_s,
         u"\\\\server/data/circle/"_s, u"\\\\server/data/音フォルダ/"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.programFolder.toStdString());
        const QString appFolder = AppFolderOf(c.programFolder);
        EXPECT_EQ(appFolder, c.appFolder);
        EXPECT_EQ(PathDataFileOf(appFolder), c.pathDataFile);
        EXPECT_EQ(ProgramFolderNameOf(c.programFolder), c.name);
        EXPECT_EQ(DataFolderOf(c.commonFolder, c.name), c.dataFolder);
        EXPECT_EQ(SoundFolderOf(c.commonFolder), c.soundFolder);
    }
}

TEST(FolderArithmetic, ResolvesRelativeFoldersAgainstThePathDataFolder) {
    const QString base = QStringLiteral("/inst/programs");
    EXPECT_EQ(ResolveFolder(QStringLiteral("data\\"), base),
              QStringLiteral("/inst/programs/data/"));
    EXPECT_EQ(ResolveFolder(QStringLiteral("data"), base + QLatin1Char('/')),
              QStringLiteral("/inst/programs/data/"));
    EXPECT_EQ(ResolveFolder(QStringLiteral("..\\shared\\data\\"), base),
              QStringLiteral("/inst/shared/data/"));
    EXPECT_EQ(ResolveFolder(QStringLiteral("/srv/drill-data"), base),
              QStringLiteral("/srv/drill-data/"));
    EXPECT_EQ(ResolveFolder(QStringLiteral("\\srv\\drill-data\\"), base),
              QStringLiteral("/srv/drill-data/"));
    EXPECT_EQ(ResolveFolder(QStringLiteral("/"), base), QStringLiteral("/"));
}

TEST(ClassroomLine, SplitsAFiveCharacterCodeOff) {
    struct Case {
        QString line, code, name;
    };
    const Case cases[] = {
        {u"01234さくら教室"_s, u"01234"_s, u"さくら教室"_s},
        {u"00000さくら教室"_s, QString(), u"00000さくら教室"_s},
        {u"さくら教室"_s, QString(), u"さくら教室"_s},
        // Digits that do not fill the five characters are part of the name.
        {u"2組の教室"_s, QString(), u"2組の教室"_s},
        {u"12345"_s, u"12345"_s, QString()},
        {QString(), QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const ClassroomLine split = SplitClassroomLine(c.line);
        EXPECT_EQ(split.code, c.code);
        EXPECT_EQ(split.name, c.name);
    }
}

TEST(LoadConfiguration, SetsFoldersAndSettingsFromBothFiles) {
    for (const bool finalLineEnd : {true, false}) {
        SCOPED_TRACE(finalLineEnd);
        TempInstall install;
        QString common = kCommonData;
        if (!finalLineEnd) common.chop(1);
        install.writeText(PathDataFile(install), QStringLiteral("..\\data\\\n") + kSpares9);
        install.writeText(CommonDataFile(install), common);
        // A machine restored at every start keeps its runs on a drive that
        // survives, named beside its programs.
        const QString machine = install.root() + QStringLiteral("machine");
        if (finalLineEnd)
            install.writeText(machine + u'/' + kOutboxSettingFileName,
                              QStringLiteral("..\\預け先\\\n"));

        ProgramState state;
        LoadFoldersAndCommonSettings(state, install.programFolder());
        const Folders& f = state.folders;
        EXPECT_EQ(ReadOutboxFolder(machine),
                  finalLineEnd ? install.root() + QStringLiteral("預け先/") : QString());
        EXPECT_EQ(f.AppFolder, install.programFolder() + QLatin1Char('/'));
        EXPECT_EQ(f.CommonFolder, install.dataRoot());
        EXPECT_EQ(f.ProgramFolderName, QStringLiteral("circle"));
        EXPECT_EQ(f.DataFolder, install.dataFolder());
        EXPECT_EQ(f.SoundFolder, install.dataRoot() + QStringLiteral("音フォルダ/"));
        EXPECT_EQ(state.common.YearStartMonth, 4);
        EXPECT_EQ(state.common.ClassroomCode, QStringLiteral("01234"));
        EXPECT_EQ(state.common.ClassroomName, QStringLiteral("さくら教室"));
        EXPECT_EQ(state.common.ListStatus2, 1);
        EXPECT_EQ(state.common.CommonSetting4, QStringLiteral("abc"));
        EXPECT_EQ(state.common.DataChangePassword, QStringLiteral("sensei"));
    }
}

TEST(LoadConfiguration, ReadsValuesSeparatedByCommasAndQuotedLines) {
    TempInstall install;
    install.writeText(PathDataFile(install),
                      QStringLiteral("\"%1\",1,2,3,4,5,6,7,8,9").arg(install.dataRoot()));
    install.writeText(CommonDataFile(install),
                      QStringLiteral("4, \"さくら教室, 2階\" ,0,0,0,\"Pass Word\",0,0,0,0\n"));
    ProgramState state;
    LoadFoldersAndCommonSettings(state, install.programFolder());
    EXPECT_EQ(state.folders.DataFolder, install.dataFolder());
    EXPECT_EQ(state.common.ClassroomCode, QString());
    EXPECT_EQ(state.common.ClassroomName, QStringLiteral("さくら教室, 2階"));
    EXPECT_EQ(state.common.DataChangePassword, QStringLiteral("Pass Word"));
}

TEST(LoadConfiguration, NamesTheFileTheMissingValueAndWhatTheFileMustHold) {
    struct Case {
        const char* what;
        QString pathData;   // empty: no file
        QString commonData; // empty: no file
        QStringList expected;
    };
    const QString pathData = QStringLiteral("..\\data\\\n") + kSpares9;
    const Case cases[] = {
        {"no path data file",
         QString(),
         kCommonData,
         {u"パスデータ.txt"_s, u"ファイルがありません"_s, u"10 個の値"_s}},
        {"path data file of one value",
         u"..\\data\\\n"_s,
         kCommonData,
         {u"パスデータ.txt"_s, u"2 番目の値"_s, u"10 個の値"_s}},
        {"no common data file",
         pathData,
         QString(),
         {u"共通データ.txt"_s, u"ファイルがありません"_s, u"年度開始月"_s}},
        {"common data file of five values",
         pathData,
         u"4\n01234さくら教室\n0\n0\n0\n"_s,
         {u"共通データ.txt"_s, u"6 番目の値（データ変更パスワード）"_s, u"10 個の値"_s}},
        {"common data file of nine values",
         pathData,
         u"4,x,0,0,0,pw,0,0,0\r\n\r\n"_s,
         {u"共通データ.txt"_s, u"10 番目の値（予備）"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempInstall install;
        if (!c.pathData.isEmpty()) install.writeText(PathDataFile(install), c.pathData);
        if (!c.commonData.isEmpty()) install.writeText(CommonDataFile(install), c.commonData);
        const QString message = LoadFailure(install);
        for (const QString& part : c.expected)
            EXPECT_TRUE(message.contains(part))
                << message.toStdString() << " lacks " << part.toStdString();
    }
}
