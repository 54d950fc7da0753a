#pragma once
// A fresh demo classroom laid out by make-demo in a temporary folder, its past
// results ending on the test clock's day so that counts never depend on the
// day the tests run.

#include "ListRows.h"
#include "TestDoubles.h"

#include "app/Configuration.h"
#include "audio/Sounds.h"
#include "core/Configuration.h"
#include "records/Criteria.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "screens/NameSelectionScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <stdexcept>

struct DemoClassroom {
    QTemporaryDir dir;
    QString root = dir.path() + QLatin1Char('/');

    DemoClassroom() {
        const QString today = FakeClock().current.date().toString(Qt::ISODate);
        const int exitCode = QProcess::execute(QStringLiteral(MAKE_DEMO_PATH),
                                               {QStringLiteral("--today"), today, root});
        if (exitCode != 0) throw std::runtime_error("make-demo failed");
        QDir().mkpath(programFolder()); // where the programs are installed
    }
    QString programFolder() const { return root + QStringLiteral("circle"); }
    QString pathData() const { return root + kPathDataFileName; }
    QString commonData() const { return root + QStringLiteral("data/") + kCommonDataFileName; }
    QString roster() const { return root + QStringLiteral("data/") + kRosterFileName; }
    QString soundList() const {
        return root + QStringLiteral("data/音フォルダ/") + kSoundListFileName;
    }
    QString criteria() const { return root + QStringLiteral("data/circle/") + kCriteriaFileName; }
    QString results() const { return root + QStringLiteral("data/circle/") + kResultsFileName; }

    // Every file of the tree and a digest of its bytes.
    std::map<QString, QByteArray> digests() const {
        std::map<QString, QByteArray> out;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                out[path] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
            else
                out[path] = QByteArrayLiteral("unreadable");
        }
        return out;
    }
};

// The program's start as main() wires it, with the test doubles: the
// configuration, then the name screen; a file error is shown once and ends it.
struct StartUp {
    TestRig rig;
    ScreenHost host;
    NameSelectionScreen* names = nullptr;

    explicit StartUp(const DemoClassroom& classroom) {
        host.show();
        ProgramState& state = rig.state;
        PrepareStartUp(state);
        try {
            LoadConfiguration(state, classroom.programFolder());
            names = host.open<NameSelectionScreen>(state);
        } catch (const DataFileError& error) {
            rig.dialogs.inform(QStringLiteral("ファイルエラー"), error.message());
            rig.navigator.endProgram();
        }
    }
    bool ended() const { return rig.navigator.count(QStringLiteral("endProgram")) > 0; }
    int nameRows() const {
        return names ? RowCount(names->findChild<QListView*>(QStringLiteral("List1"))) : 0;
    }
};
