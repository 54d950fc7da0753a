// A finished drill whose record cannot be written: the run is kept on this
// machine, no file of the classroom changes.

#include "DrillHarness.h"

#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "screens/DrillScreen.h"
#include "screens/ResultsScreen.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace {

class UnwritableResults : public ::testing::Test, public DrillClassroom {
  protected:
    std::map<QString, QByteArray> digests() const {
        std::map<QString, QByteArray> out;
        QDirIterator it(install.root(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.fileName().startsWith(rig.state.folders.OutboxFolder)) continue;
            out[file.fileName()] =
                file.open(QIODevice::ReadOnly)
                    ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                    : QByteArrayLiteral("unreadable");
        }
        return out;
    }
    // Ten right answers, three seconds each: the run ends and is recorded.
    void finishDrill() {
        DrillScreen* frm = startDrill(1);
        ASSERT_NE(frm, nullptr);
        for (int i = 0; i < 10 && drill(); ++i) {
            passSeconds(frm, 3);
            answerRight(frm);
        }
    }
    // The run of ten answers, three seconds each, waits on this machine.
    void expectTheRunKept() {
        const QByteArray kept = Outbox(OutboxFolderOf(state().folders), resultsPath()).runs();
        ASSERT_EQ(kept.size(), kRecordSize);
        EXPECT_EQ(DecodeRecord(kept.constData()).result, 30);
    }
};

// Tests run as root, where permissions do not stop a write; a folder standing
// where the results file should be fails the same append for everyone.
TEST_F(UnwritableResults, AFolderInPlaceOfTheFileKeepsTheRunAndTheCountSaysWhy) {
    addRecord(1, 40, 1);
    DrillScreen* frm = startDrill(1);
    ASSERT_NE(frm, nullptr);
    // The file goes away while the student drills, and a folder takes its name.
    ASSERT_TRUE(QFile::remove(resultsPath()));
    ASSERT_TRUE(QDir().mkdir(resultsPath()));
    const auto before = digests();
    for (int i = 0; i < 10 && drill(); ++i) {
        passSeconds(frm, 3);
        answerRight(frm);
    }
    expectTheRunKept();
    // The results screen cannot count from a folder: one message, the end.
    const auto& shown = rig.dialogs.shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(kResultsFileName)) << shown[0].text.toStdString();
    EXPECT_EQ(navigator.count(QStringLiteral("endProgram")), 1);
    EXPECT_EQ(digests(), before);
}

// The read-only data folder of a classroom: only meaningful for a user whom
// permissions bind (run this test as nobody to see it pass).
TEST_F(UnwritableResults, AReadOnlyDataFolderKeepsTheRunWhenTheStudentStopsWaiting) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    addRecord(1, 40, 1);
    ASSERT_EQ(::chmod(QFile::encodeName(resultsPath()).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(install.dataFolder()).constData(), 0555), 0);
    rig.dialogs.answers = {false};
    const auto before = digests();
    finishDrill();
    ::chmod(QFile::encodeName(install.dataFolder()).constData(), 0755);
    expectTheRunKept();
    ASSERT_NE(results(), nullptr);
    EXPECT_TRUE(Child(results(), QStringLiteral("KeptForLater"))->isVisible());
    EXPECT_EQ(digests(), before);
    EXPECT_EQ(recordCount(), 1);
}

} // namespace
