#include "core/Configuration.h"

#include "core/CsvReader.h"
#include "core/ProgramState.h"
#include "core/Text.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {
// The separator a folder text is written with: its last one, "/" if none.
QChar SeparatorOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype backslash = path.lastIndexOf(QLatin1Char('\\'));
    return backslash > slash ? QLatin1Char('\\') : QLatin1Char('/');
}

QString EndedWithSeparator(const QString& folder) {
    return EndsWithSeparator(folder) ? folder : folder + SeparatorOf(folder);
}

QString WithoutTrailingSeparators(QString path) {
    while (path.size() > 1 && EndsWithSeparator(path))
        path.chop(1);
    return path;
}

const QString kPathDataContents = QStringLiteral(
    "パスデータ.txt には 10 個の値が必要です。1 番目は共通データのフォルダ"
    "（例: data\\ や /srv/drill-data/。相対指定はパスデータ.txt のあるフォルダから）、"
    "2〜10 番目は予備の値です。");

const QString kCommonDataContents =
    QStringLiteral("共通データ.txt には 10 個の値が必要です。順に、年度開始月、教室コードと教室名、"
                   "名簿表示スイッチ、共通設定4、予備、データ変更パスワード、予備 4 個です。");

// Reads the first names.size() values of a settings file; a missing file or a
// missing value is reported with what the file must hold.
QStringList ReadSettingValues(const QString& path, const QStringList& names,
                              const QString& contents) {
    CsvReader reader = CsvReader::fromFile(path, contents);
    QStringList values;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (reader.atEnd())
            throw DataFileError(QStringLiteral("%1: %2 番目の値（%3）がありません。\n%4")
                                    .arg(QDir::toNativeSeparators(path), QString::number(i + 1),
                                         names[i], contents));
        values << reader.readText();
    }
    return values;
}

QStringList SpareNames(qsizetype count) {
    return QStringList(count, QStringLiteral("予備"));
}

QString ReadCommonFolder(const QString& pathDataFile) {
    const QStringList values =
        ReadSettingValues(pathDataFile, QStringList{QStringLiteral("共通フォルダ")} + SpareNames(9),
                          kPathDataContents);
    return ResolveFolder(values[0], QFileInfo(pathDataFile).absolutePath());
}

void ReadCommonSettings(CommonSettings& common, const QString& commonDataFile) {
    const QStringList names = QStringList{QStringLiteral("年度開始月"),
                                          QStringLiteral("教室コードと教室名"),
                                          QStringLiteral("名簿表示スイッチ"),
                                          QStringLiteral("共通設定4"),
                                          QStringLiteral("予備"),
                                          QStringLiteral("データ変更パスワード")} +
                              SpareNames(4);
    const QStringList values = ReadSettingValues(commonDataFile, names, kCommonDataContents);
    common.YearStartMonth = int(CsvReader::ToNumber(values[0]));
    const ClassroomLine classroom = SplitClassroomLine(values[1]);
    common.ClassroomCode = classroom.code;
    common.ClassroomName = classroom.name;
    common.ListStatus2 = int(CsvReader::ToNumber(values[2]));
    common.CommonSetting4 = values[3];
    common.DataChangePassword = values[5];
}
} // namespace

QString ReadOutboxFolder(const QString& machineFolder) {
    const QString folder = WithTrailingSeparator(NormalisePath(machineFolder));
    const QString path = folder + kOutboxSettingFileName;
    if (!QFileInfo::exists(path)) return {};
    CsvReader reader = CsvReader::fromFile(path);
    const QString value = reader.atEnd() ? QString() : reader.readText().trimmed();
    return value.isEmpty() ? QString() : ResolveFolder(value, folder);
}

QString AppFolderOf(const QString& programFolder) {
    return EndedWithSeparator(programFolder);
}

QString ProgramFolderNameOf(const QString& programFolder) {
    const QString path = WithoutTrailingSeparators(programFolder);
    const qsizetype last =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(last + 1);
}

QString PathDataFileOf(const QString& appFolder) {
    const QString folder = EndedWithSeparator(appFolder);
    return folder + QStringLiteral("..") + SeparatorOf(folder) + kPathDataFileName;
}

QString DataFolderOf(const QString& commonFolder, const QString& programFolderName) {
    const QString folder = EndedWithSeparator(commonFolder);
    return folder + programFolderName + SeparatorOf(folder);
}

QString SoundFolderOf(const QString& commonFolder) {
    return DataFolderOf(commonFolder, kSoundFolderName);
}

QString ResolveFolder(const QString& value, const QString& baseFolder) {
    QString path = NormalisePath(value);
    if (QDir::isRelativePath(path)) path = WithTrailingSeparator(NormalisePath(baseFolder)) + path;
    path = QDir::cleanPath(path);
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

ClassroomLine SplitClassroomLine(const QString& line) {
    const QString head = line.left(5);
    if (CsvReader::ToNumber(head) != 0) return {head, line.mid(5)};
    return {QString(), line};
}

void LoadFoldersAndCommonSettings(ProgramState& state, const QString& programFolder) {
    Folders& folders = state.folders;
    folders.AppFolder = AppFolderOf(NormalisePath(programFolder));
    folders.CommonFolder = ReadCommonFolder(QDir::cleanPath(PathDataFileOf(folders.AppFolder)));
    ReadCommonSettings(state.common, folders.CommonFolder + kCommonDataFileName);
    folders.ProgramFolderName = ProgramFolderNameOf(programFolder);
    folders.DataFolder = DataFolderOf(folders.CommonFolder, folders.ProgramFolderName);
    folders.SoundFolder = SoundFolderOf(folders.CommonFolder);
}
