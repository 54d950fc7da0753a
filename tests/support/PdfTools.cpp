#include "PdfTools.h"

#include "TestDoubles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// Wine's own way from a Windows path to the Unix one; absent on Windows itself.
using UnixFileNameOf = char* (*)(const wchar_t*);

UnixFileNameOf WineUnixFileName() {
    return reinterpret_cast<UnixFileNameOf>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
}

QString UnixPath(UnixFileNameOf unixFileName, const QString& path) {
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    char* name = unixFileName(native.c_str());
    if (!name) return path;
    const QString result = QString::fromUtf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool IsWindowsAbsolutePath(const QString& argument) {
    return argument.size() > 2 && argument[1] == QLatin1Char(':') && QDir::isAbsolutePath(argument);
}

QString ShellQuoted(QString word) {
    return QLatin1Char('\'') + word.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

// Wine starts a Linux program without a process handle to wait on, so a shell
// runs the tool with its output in files and writes its exit status last.
QByteArray RunUnderWine(UnixFileNameOf unixFileName, const QString& tool,
                        const QStringList& arguments) {
    QTemporaryDir dir;
    const auto unix = [&](const QString& name) {
        return ShellQuoted(UnixPath(unixFileName, dir.filePath(name)));
    };
    QString script = QStringLiteral("PATH=/usr/bin:/bin ") + ShellQuoted(tool);
    for (const QString& argument : arguments)
        script += QLatin1Char(' ') + ShellQuoted(IsWindowsAbsolutePath(argument)
                                                     ? UnixPath(unixFileName, argument)
                                                     : argument);
    script += QStringLiteral(" >%1 2>%2\necho $? >%3 && mv %3 %4\n")
                  .arg(unix(QStringLiteral("out")), unix(QStringLiteral("err")),
                       unix(QStringLiteral("status.new")), unix(QStringLiteral("status")));
    QFile file(dir.filePath(QStringLiteral("run.sh")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script.toUtf8()) > 0);
    file.close();
    EXPECT_TRUE(QProcess::startDetached(QStringLiteral("Z:\\bin\\sh"),
                                        {UnixPath(unixFileName, file.fileName())}));
    QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(dir.filePath(QStringLiteral("status"))) && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(FileBytes(dir.filePath(QStringLiteral("status"))).trimmed(), "0")
        << tool.toStdString() << ": "
        << FileBytes(dir.filePath(QStringLiteral("err"))).toStdString();
    return FileBytes(dir.filePath(QStringLiteral("out")));
}
#endif

} // namespace

QByteArray RunPdfTool(const QString& tool, const QStringList& arguments) {
#ifdef _WIN32
    if (const UnixFileNameOf unixFileName = WineUnixFileName())
        return RunUnderWine(unixFileName, tool, arguments);
#endif
    QProcess process;
    process.start(tool, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << tool.toStdString() << " did not finish";
    EXPECT_EQ(process.exitCode(), 0)
        << tool.toStdString() << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}
