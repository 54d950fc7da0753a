#pragma once
// Where a student stumbles: per problem kind, over the attempts of the last
// 30 days, how many problems were answered, the share answered wrong, the
// mistake made most often and the median time of the right answers. Pure
// logic; the report and the class sheet draw what these functions return.

#include "core/Attempt.h"
#include "records/AttemptLog.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

inline constexpr int kWeakSpotDays = 30;
inline constexpr int kProblemKinds = 4;

// The first OLE day counted on `today`: today and the 29 days before.
double FirstWeakSpotDay(const QDate& today);

struct KindWeakSpot {
    int answered = 0;
    int wrong = 0;
    MistakeClass leading = MistakeClass::None; // None without a wrong answer
    int leadingCount = 0;
    std::optional<double> medianSeconds; // of the right answers

    // 0..1; 0 when nothing was answered.
    double shareWrong() const { return answered == 0 ? 0 : double(wrong) / answered; }
};

struct WeakSpots {
    std::array<KindWeakSpot, kProblemKinds> kinds; // element k - 1 for kind k
    bool anyAnswered() const;
};

// The attempts of a student (or a group: every attempt added) summed up.
class WeakSpotTally {
  public:
    void add(const Attempt& attempt);
    void add(const WeakSpotTally& other);
    WeakSpots spots() const;

  private:
    struct Kind {
        int answered = 0;
        std::array<int, kMistakeClassCount> mistakes{};
        std::vector<int32_t> rightTenths;
    };
    std::array<Kind, kProblemKinds> kinds_{};
};

// The class sheet's つまずき page of a grade: a row per student in the
// sheet's order, the whole grade, and what of the log could not be read.
struct GradeWeakSpots {
    std::vector<WeakSpots> rows;
    WeakSpots whole;
    QString unread;
};
inline const QString kWeakSpotPageTitle = QStringLiteral("つまずき");

// One student's weak spots from the log's records (of any students and days).
WeakSpots WeakSpotsOf(const std::vector<AttemptRecord>& records, int student, const QDate& today);
// Every student's attempts of the 30 days in one pass over the records, by
// student ID, for the views that show many students.
std::vector<WeakSpotTally> WeakSpotTalliesByStudent(const std::vector<AttemptRecord>& records,
                                                    const QDate& today);

// "円周（直径）", "円周（半径）", "面積（半径）", "面積（直径）".
QString KindName(int kind);
// "直径と半径", "円周と面積", "順番", "途中", "その他", "時間切れ"; empty for None.
QString MistakeName(MistakeClass mistake);
// The class's first character, as the class sheet marks it ("直", "円", ...).
QString MistakeInitial(MistakeClass mistake);
// The classes a wrong answer can have, in their order.
std::vector<MistakeClass> WrongAnswerClasses();

// "25%" of the share wrong, rounded to a whole percent.
QString ShareText(const KindWeakSpot& spot);
// The lines of the report's つまずき block: a heading, a line of column
// titles and one line per kind in fixed-width columns, or a line saying no
// answers were kept; then what of the log could not be read.
QStringList WeakSpotLines(const WeakSpots& spots, const QString& unread = {});
// A class sheet cell: "25% 直", "0%" without a wrong answer, "－" when
// nothing was answered.
QString WeakSpotCellText(const KindWeakSpot& spot);
