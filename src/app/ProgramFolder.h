#pragma once
// The program folder of a command: the folder whose parent holds パスデータ.txt.
// A copied installation runs from its own program folder; an installed package
// lives in a system folder, so the classroom's program folder is named with
// --program-folder DIR.

#include <QString>
#include <QStringList>

inline const QString kProgramFolderOption = QStringLiteral("--program-folder");

struct ProgramFolderChoice {
    QString folder;  // absolute; the fallback when the option is not given
    QString problem; // what is wrong with the option, or empty
    bool given = false;
};

// Takes "--program-folder DIR" or "--program-folder=DIR" out of the arguments.
ProgramFolderChoice TakeProgramFolder(QStringList& arguments, const QString& fallback);
