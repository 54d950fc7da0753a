#include "MakeDemo.h"

#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Stands in for the classroom's real program menu, which lists the drills.
// A shell script, so it is written in UTF-8 with LF line ends.
const char kMenuScript[] = R"sh(#!/bin/sh
# The demo classroom's program menu: it only says that it was started.
text="Program menu of the demo classroom (argument: $*)"
if [ -n "$DISPLAY" ] && command -v xmessage >/dev/null 2>&1; then
  exec xmessage -center -buttons OK:0 "$text"
fi
echo "$text"
)sh";
} // namespace

void LayOutDemoMenu(const QString& root, const QString& builtMenu) {
    const QString path = root + QStringLiteral("起動/プログラムメニューc");
    // Where a built menu program lies beside make-demo (on Windows, where the
    // program starts プログラムメニューc.exe), it is the menu.
    if (QFileInfo(builtMenu).isFile()) {
        const QString exe = path + QLatin1Char('.') + QFileInfo(builtMenu).suffix();
        QDir().mkpath(QFileInfo(exe).absolutePath());
        if (!QFileInfo::exists(exe) && !QFile::copy(builtMenu, exe))
            throw DataFileError(QStringLiteral("cannot write ") + exe);
        return;
    }
    if (QFileInfo::exists(path)) return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw DataFileError(QStringLiteral("cannot write ") + path);
    file.write(kMenuScript);
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                        QFileDevice::ExeOther);
}
