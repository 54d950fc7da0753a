#pragma once
// The program-wide state: one instance is made in main (or in a test) and
// passed by reference to every screen and module. Nothing here is global.

#include "core/Attempt.h"
#include "core/Colour.h"
#include "core/Platform.h"
#include "core/Tables.h"

#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Folders, all ending with a separator.
struct Folders {
    QString AppFolder;
    QString CommonFolder;
    QString DataFolder;
    QString SoundFolder;
    QString ProgramFolderName;
    // This machine's own folder for runs the results file could not take yet;
    // empty: the program's local data folder.
    QString OutboxFolder;
};

// Settings shared by every program of the installation (共通データ.txt).
struct CommonSettings {
    int YearStartMonth = 4;
    QString ClassroomCode; // five characters or empty
    QString ClassroomName;
    int ListStatus2 = 0;
    QString CommonSetting4;
    QString DataChangePassword;
};

struct LevelCatalogue {
    QString ProgramTitle;
    std::array<QString, kLevelSlots> LevelNames{};
    std::array<int16_t, kLevelSlots> LevelEnabled{};
    int LevelCount = 0;
    int LastLevel = 0;
    int LevelBoardSwitch = 0;
};

// A criteria cell of the columns 6..12: a number for data lines, a text for
// the heading line, empty for an empty field. Consumers compare as numbers.
struct CriteriaValue {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;

    double toNumber() const { return kind == Kind::Number ? number : 0; }
    QString toText() const;
    bool operator==(const CriteriaValue&) const = default;
};

struct CriteriaTables {
    std::array<int32_t, kLevelSlots> TargetTime{};
    std::array<int32_t, kLevelSlots> LowestTime{};
    std::array<int32_t, kLevelSlots> ClearPoint{};
    std::array<int16_t, kLevelSlots> ClearCount{};
    std::array<float, kLevelSlots> PointRate{};
    std::array<CriteriaValue, kLevelSlots> OverdoCount{};
    std::array<CriteriaValue, kLevelSlots> OverdoPoint{};
    std::array<CriteriaValue, kLevelSlots> PassDays{};
    std::array<CriteriaValue, kLevelSlots> OverdoDays{};
    std::array<CriteriaValue, kLevelSlots> CriteriaSpare1{};
    std::array<CriteriaValue, kLevelSlots> CriteriaSpare2{};
    std::array<CriteriaValue, kLevelSlots> CriteriaSpare3{};
    int LoadedLevels = 0; // data lines of the last load
};

// One run as read from the results file.
struct LoadedRun {
    double date = 0;      // OLE Automation day number
    double timeOfDay = 0; // fraction of a day
    int16_t student = 0;
    int16_t level = 0;
    int32_t result = 0;
};

// Per-level, per-student tables rebuilt from the results file.
struct CountTables {
    LevelStudentTable<int16_t> RunCount;
    LevelStudentTable<int16_t> PassRunCount;
    LevelStudentTable<int16_t> OverdoRunCount;
    LevelStudentTable<int32_t> TotalPoints;
    LevelStudentTable<int32_t> PassPoints;
    LevelStudentTable<int32_t> OverdoPoints;
    LevelStudentTable<float> TodayCount;
    LevelStudentTable<int32_t> TodayPoints;
    LevelStudentTable<int32_t> BestTime;
    std::array<int32_t, kLevelSlots> ClassBest{};
    std::vector<LoadedRun> Runs; // the valid runs of the last load, file order
    int SkippedRecords = 0;      // invalid records met by the last load

    // Run flags of the end of a drill.
    bool AlreadyPassed = false;
    bool NewPersonalBest = false;
    bool NewClassBest = false;
};

struct DrillState {
    int ProblemsRequired = 10;
    int32_t CorrectCount = 0;
    int JudgeResult = 0;
    bool JudgingNow = false;
    bool WrongAnswerShown = false;
    bool DrillFinished = false;
    bool EndRoutineStarted = false;
    bool TimedOut = false;
    // The run just ended waits on this machine to be recorded (records/Outbox.h).
    bool RunKeptForLater = false;
    double DrillStartTime = 0; // monotonic seconds
    int32_t ElapsedSeconds = 0;
    int32_t TimeLimit = 0;
    double BarScale = 0;
    // The answered problems of a recorded level's drill, for the attempt log.
    std::vector<Attempt> Attempts;
};

// One roster line as read (status is returned apart).
struct RosterRecord {
    int16_t Id = 0;
    int16_t BirthYear = 0;
    int16_t Aux1 = 0;
    int16_t Aux2 = 0;
    QString Name; // exactly 20 characters
    QString Aux3;
    QString Aux4;
};

struct RosterTables {
    std::vector<RosterRecord> Roster = std::vector<RosterRecord>(kStudentSlots);
    std::vector<QString> RosterName = std::vector<QString>(kStudentSlots);
    std::vector<int16_t> RosterBirthYear = std::vector<int16_t>(kStudentSlots);
    std::vector<QString> RosterGrade = std::vector<QString>(kStudentSlots);
    std::vector<int16_t> RosterId = std::vector<int16_t>(kStudentSlots); // by position 1..
    int RosterCount = 0;
    int SchoolYear = 0;
};

// Who is working: set when a name is confirmed.
struct Session {
    int StudentNo = 0;
    QString StudentName;
    QString StudentGrade;
    double LoginTime = 0; // monotonic seconds
    QString GradeFilter = QStringLiteral("全学年");
};

// Values the level board keeps across its showings.
struct BoardMemory {
    int BoardScrollPos = 0;
    int TodayRunTotal = 0;
    int ResultsPeriod = 3;
    int PeriodDays = 30;
    bool FinalLevelPassed = false;
};

struct SoundTable {
    // [category 0..10][slot 0..21]: slot 0 the name, 1..20 variants, 21 the count.
    std::array<std::array<QString, 22>, 11> SoundFiles{};
    int SoundFailures = 0;
};

struct ProgramState {
    Platform platform;

    Folders folders;
    CommonSettings common;
    LevelCatalogue levels;
    CriteriaTables criteria;
    CountTables counts;
    // The tables the next count fills on its worker, then traded with counts:
    // allocated once, like them, and owned by a try that Cancel leaves running.
    std::shared_ptr<CountTables> spareCounts;
    DrillState drill;
    RosterTables roster;
    Session session;
    BoardMemory board;
    SoundTable sounds;

    int LevelNo = 1;
    int32_t ResultValue = 0;
    int16_t EarnedPoints = 0;
    Colour SeasonColor;
};
