#pragma once
// Worksheets for homework: the drill's own problems on paper, one sheet per
// student (or one without a name, for copying), each followed by its answer
// key. A sheet is a function of its seed and settings, so a teacher gets the
// same sheet back from the number printed at its foot.

#include "drill/ProblemGenerator.h"
#include "records/AttemptLog.h"
#include "rules/ClassSheet.h"
#include "rules/WeakSpots.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class RandomSource;
struct ProgramState;

inline constexpr int kDefaultWorksheetCount = 12;
inline constexpr int kDefaultProblemsPerPage = 6;
inline constexpr int kMostWorksheetProblems = 200;
inline constexpr int kMostProblemsPerPage = 10;
// The levels whose kinds the generator knows.
inline constexpr int kWorksheetLevels = 7;

struct WorksheetSettings {
    // Each problem draws one of these levels (the drill's kind rule then
    // applies), or one of the kinds when no level is given. On a weak-spot
    // sheet they are only the draw of a student with no answers kept; without
    // them that student gets the four kinds evenly.
    std::vector<int> levels;
    std::vector<ProblemKind> kinds;
    bool weak = false; // each student's kinds come from their wrong answers
    int count = kDefaultWorksheetCount;
    int perPage = kDefaultProblemsPerPage;
    bool values = false; // the worked value is asked for too
    bool key = true;
    std::uint32_t seed = 0;
};

struct Worksheet {
    int student = 0; // 0: a sheet without a name
    PageHeading heading;
    std::vector<CircleProblem> problems;
    QString aim; // a weak-spot sheet's note on its key: what it practises
};

// The problems of one sheet as the drill makes them: per problem the level (or
// kind) among several, the level's kind, a length other than the last one, the
// candidates.
std::vector<CircleProblem> DrawWorksheetProblems(const WorksheetSettings& settings,
                                                 RandomSource& random);

// How many of `count` problems each kind gets (element k - 1 for kind k):
// one of every kind the student answered in the 30 days, the rest in
// proportion to the kinds' wrong answers, or evenly over the answered kinds
// when none was wrong; the largest remainders round up, on a tie the kind with
// more wrong answers, then the lower kind. With fewer problems than answered
// kinds, the kinds with the most wrong answers get one each. All zero when
// nothing was answered.
using KindCounts = std::array<int, kProblemKinds>;
KindCounts ApportionWeakKinds(int count, const WeakSpots& spots);

// The problems of a weak-spot sheet: the kinds' counts in an order drawn,
// each made as the drill makes it, never the last length again.
std::vector<CircleProblem> DrawProblemsOfKinds(const KindCounts& counts, RandomSource& random);

// The key's note of a student's weak-spot sheet: "このプリントのねらい：" and
// each kind answered wrong with its leading mistake, most wrong first; or
// that nothing was answered wrong, or that no answers were kept (or `unread`
// says the log could not be read) and which draw the sheet fell back to.
QString WeakSpotAim(const WeakSpots& spots, const WorksheetSettings& settings, bool unread);

// A student's sheet has a seed of its own, made from the printed one and the
// ID, so that one student's sheet comes back without the rest of the class.
std::uint32_t StudentSheetSeed(std::uint32_t seed, int student);

// One sheet per student, in the order given; with no student, one sheet
// without a name under the printed seed itself. `random` is seeded for each.
// A weak-spot sheet draws from the student's records in `attempts`, the log
// read once for the whole class (ReadAttemptsSince from FirstWeakSpotDay).
std::vector<Worksheet> BuildWorksheets(const ProgramState& state,
                                       const std::vector<SheetStudent>& students,
                                       const WorksheetSettings& settings, const QDateTime& now,
                                       RandomSource& random, const AttemptReading& attempts = {});

// Whom the teacher screen prints for: the board's student, or every student
// the board's grade filter shows (read from the roster, in the name list's order).
enum class WorksheetFor { ThisStudent, GradeFilter };
std::vector<SheetStudent> WorksheetStudents(ProgramState& state, WorksheetFor who);

// A seed for a sheet that was given none: five digits, easy to copy down.
std::uint32_t DrawnWorksheetSeed(std::uint32_t fresh);

// The foot of every page: "No. 48213 / レベル 5 / 12 問", and what else shapes the sheet.
QString WorksheetFoot(const WorksheetSettings& settings);

// What the student fills in: "（　　）×3.14" or "（　　）×（　　）×3.14",
// and "＝（　　　　）cm²" after it when the value is asked for.
QString FormulaBlanks(ProblemKind kind, bool values);
// "cm" for a circumference, "cm²" for an area.
QString UnitOf(ProblemKind kind);
// The labelled length under the figure: "4 cm".
QString LengthLabel(int v);
// The worked value, as a pupil writes it: 12.56, 31.4, 314.
QString WorkedValue(ProblemKind kind, int v);
// The key's line: "4×4×3.14", or "4×4×3.14 = 50.24 cm²" with values.
QString KeyAnswer(const CircleProblem& problem, bool values);

// The pages of one sheet: its problems, `perPage` a page, then its key.
struct WorksheetPage {
    bool key = false;
    int first = 0; // index of the first problem on the page
    int count = 0;
};
inline constexpr int kKeyLinesPerPage = 25;
std::vector<WorksheetPage> PaginateWorksheet(const WorksheetSettings& settings);
