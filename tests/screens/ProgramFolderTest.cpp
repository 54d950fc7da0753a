// --program-folder as every command of the package reads it.

#include "app/ProgramFolder.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Absolute folders as installations on this system write them, and as the
// program keeps them.
struct Written {
    QString written;
    QString kept;
};

TEST(ProgramFolder, TakenOutOfTheArgumentsOrTheFallback) {
#ifdef _WIN32
    const Written classFolder{QStringLiteral("S:\\教室\\circle"), QStringLiteral("S:/教室/circle")};
    const Written roundabout{QStringLiteral("\\\\server\\share\\a\\..\\b\\circle"),
                             QStringLiteral("//server/share/b/circle")};
#else
    const Written classFolder{QStringLiteral("/srv/class/circle"),
                              QStringLiteral("/srv/class/circle")};
    const Written roundabout{QStringLiteral("/srv/a/../b/circle"), QStringLiteral("/srv/b/circle")};
#endif
    const QString here = QDir::currentPath();
    const struct {
        QStringList arguments;
        QString folder;
        bool given;
        QStringList rest;
    } cases[] = {
        {{"prog"}, "/opt/drill", false, {"prog"}},
        {{"prog", "--program-folder", classFolder.written}, classFolder.kept, true, {"prog"}},
        {{"prog", "--fullscreen", "--program-folder=" + classFolder.written + "/"},
         classFolder.kept,
         true,
         {"prog", "--fullscreen"}},
        {{"prog", "--program-folder", "class/circle", "--now", "x"},
         here + "/class/circle",
         true,
         {"prog", "--now", "x"}},
        {{"prog", "--program-folder", roundabout.written}, roundabout.kept, true, {"prog"}},
    };
    for (const auto& c : cases) {
        QStringList arguments = c.arguments;
        const ProgramFolderChoice choice =
            TakeProgramFolder(arguments, QStringLiteral("/opt/drill"));
        EXPECT_TRUE(choice.problem.isEmpty()) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(choice.folder, c.folder) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(choice.given, c.given) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(arguments, c.rest) << qPrintable(c.arguments.join(' '));
    }
}

TEST(ProgramFolder, AMissingOrRepeatedFolderIsAProblem) {
    const QStringList bad[] = {
        {"prog", "--program-folder"},
        {"prog", "--program-folder="},
        {"prog", "--program-folder", ""},
        {"prog", "--program-folder", "/a", "--program-folder", "/b"},
    };
    for (const QStringList& arguments : bad) {
        QStringList rest = arguments;
        const ProgramFolderChoice choice = TakeProgramFolder(rest, QStringLiteral("/opt/drill"));
        EXPECT_TRUE(choice.problem.startsWith(QStringLiteral("--program-folder")))
            << qPrintable(arguments.join(' '));
    }
}

} // namespace
