#pragma once
// Where the installation keeps its data: the path data file beside the program
// folders names the common folder, whose 共通データ.txt holds the settings all
// programs of the installation share.

#include <QString>

struct ProgramState;

inline const QString kPathDataFileName = QStringLiteral("パスデータ.txt");
inline const QString kCommonDataFileName = QStringLiteral("共通データ.txt");
// Beside the program, on machines whose disk is put back at every start: the
// folder, on a drive that survives, where runs wait for the results file.
inline const QString kOutboxSettingFileName = QStringLiteral("預け先フォルダ.txt");
inline const QString kSoundFolderName = QStringLiteral("音フォルダ");

// Folder arithmetic on text. A folder may be written with "\" or "/"; what is
// appended follows the separator the folder itself uses ("/" when it has none).
QString AppFolderOf(const QString& programFolder);
QString ProgramFolderNameOf(const QString& programFolder);
QString PathDataFileOf(const QString& appFolder);
QString DataFolderOf(const QString& commonFolder, const QString& programFolderName);
QString SoundFolderOf(const QString& commonFolder);

// A folder value as this system can open it: "/" separators, a relative value
// taken from baseFolder, always ending with "/".
QString ResolveFolder(const QString& value, const QString& baseFolder);

struct ClassroomLine {
    QString code; // five characters or empty
    QString name;
};
// "01234さくら教室" gives code 01234 and the name; a line whose first five
// characters read as 0 (00000, or no leading digits) is all name.
ClassroomLine SplitClassroomLine(const QString& line);

// Sets the folders and the common settings from the two files. Throws
// a DataFileError naming the file, the missing value and what the file must hold.
void LoadFoldersAndCommonSettings(ProgramState& state, const QString& programFolder);
// The outbox folder this machine names in the setting beside its programs
// (relative to that folder), or empty for the program's local data folder.
// Beside the programs, not in the classroom's shared folder: each machine
// keeps its own runs.
QString ReadOutboxFolder(const QString& machineFolder);
