#include "widgets/BundledFonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

void LoadFontsBesideProgram() {
    const QDir fonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString& name :
         fonts.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(name));
}
