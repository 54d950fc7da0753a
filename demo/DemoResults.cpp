#include "MakeDemo.h"

#include "DemoAttempts.h"

#include "core/Dates.h"
#include "core/Text.h"
#include "records/AttemptLog.h"
#include "records/ResultsFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <random>

namespace {

constexpr int kDemoStudents = 40;
constexpr int kDemoLevels = 7;
constexpr int kDaysBack = 120;
constexpr std::uint32_t kSeed = 20261209;
// The attempts draw from an engine of their own, so the results stay as they were.
constexpr std::uint32_t kAttemptSeed = 20261210;
// The target times of the demo criteria, level 1..7.
constexpr std::array<int, kDemoLevels + 1> kTargetTime = {0, 30, 35, 40, 45, 50, 55, 60};

// Each student practises at a pace of their own and moves up a level after a
// number of runs; times get better with practice, a few runs time out.
struct DemoStudent {
    double skill = 1.0; // 1 = the target time on average
    int runsPerLevel = 8;
    int runs = 0;
};

ResultRecord DemoRecord(const QDate& day, double timeOfDay, int student, int level, int result) {
    ResultRecord r;
    r.date = ToOleDay(day);
    r.timeOfDay = std::round(timeOfDay * 86400) / 86400; // whole seconds
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    r.classroomCode = QStringLiteral("01234");
    r.extraPoints = QStringLiteral("     ");
    r.pointsText = QStringLiteral("0    ");
    return r;
}

struct DemoFiles {
    QByteArray results;
    QByteArray attempts;
};

DemoFiles DemoResultBytes(const QDate& today) {
    std::mt19937 engine(kSeed);
    std::mt19937 attemptEngine(kAttemptSeed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::array<DemoStudent, kDemoStudents + 1> students{};
    for (DemoStudent& s : students) {
        s.skill = 0.8 + 0.6 * unit(engine);
        s.runsPerLevel = 3 + int(engine() % 5);
    }

    DemoFiles files;
    for (int back = kDaysBack; back >= 0; --back) {
        const QDate day = today.addDays(-back);
        if (day.dayOfWeek() == Qt::Sunday) continue;
        double clock = 15.0 / 24; // lessons start at three
        const int visitors = 2 + int(engine() % 3);
        for (int v = 0; v < visitors; ++v) {
            const int id = 1 + int(engine() % kDemoStudents);
            DemoStudent& s = students[id];
            const int runs = 1 + int(engine() % 3);
            for (int k = 0; k < runs; ++k) {
                const int level = std::min(kDemoLevels, 1 + s.runs / s.runsPerLevel);
                const double practice = 1.0 - 0.04 * (s.runs % s.runsPerLevel);
                const bool timedOut = unit(engine) < 0.03;
                const int seconds =
                    int(kTargetTime[level] * s.skill * practice * (0.8 + 0.5 * unit(engine)));
                clock += (2 + 8 * unit(engine)) / (24 * 60);
                const ResultRecord record =
                    DemoRecord(day, clock, id, level, timedOut ? 99999 : std::max(seconds, 5));
                files.results += EncodeRecord(record);
                files.attempts +=
                    EncodeRunAttempts(record, DemoRunAttempts(id, level, std::max(seconds, 5),
                                                              timedOut, attemptEngine));
                ++s.runs;
            }
        }
    }
    return files;
}

void WriteDemoFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw DataFileError(QStringLiteral("cannot write ") + path);
}

} // namespace

void LayOutDemoResults(const QString& root, const QDate& today) {
    const QString path = root + QStringLiteral("data/circle/") + kResultsFileName;
    if (QFileInfo::exists(path)) return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const DemoFiles files = DemoResultBytes(today);
    WriteDemoFile(path, files.results);
    // Only beside results laid out now: the attempts belong to these runs.
    WriteDemoFile(AttemptLogPathBeside(path), files.attempts);
}
