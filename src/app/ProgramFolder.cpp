#include "app/ProgramFolder.h"

#include <QDir>

ProgramFolderChoice TakeProgramFolder(QStringList& arguments, const QString& fallback) {
    ProgramFolderChoice choice{QDir(fallback).absolutePath(), {}, false};
    const QString withValue = kProgramFolderOption + QLatin1Char('=');
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == kProgramFolderOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                choice.problem = kProgramFolderOption + QStringLiteral(" needs a folder");
                return choice;
            }
            value = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith(withValue)) {
            value = arguments[i].mid(withValue.size());
            arguments.remove(i);
        } else {
            continue;
        }
        if (choice.given) {
            choice.problem = kProgramFolderOption + QStringLiteral(" is given twice");
            return choice;
        }
        if (value.isEmpty()) {
            choice.problem = kProgramFolderOption + QStringLiteral(" needs a folder");
            return choice;
        }
        choice.folder = QDir::cleanPath(QDir(value).absolutePath());
        choice.given = true;
        --i;
    }
    return choice;
}
