#include "DemoAttempts.h"

#include "drill/Mistakes.h"
#include "drill/ProblemGenerator.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int kAnswersRequired = 10;
// The chance of a wrong answer: a little always, much more where a student's
// own weakness bites.
constexpr double kSlip = 0.04;
constexpr double kWeakness = 0.3;

ProblemKind KindOn(int level, std::mt19937& engine) {
    switch (level) {
    case 1:
        return ProblemKind::CircumferenceFromDiameter;
    case 2:
        return ProblemKind::CircumferenceFromRadius;
    case 3:
        return ProblemKind(1 + int(engine() % 2));
    case 4:
        return ProblemKind::AreaFromRadius;
    case 5:
        return ProblemKind::AreaFromDiameter;
    case 6:
        return ProblemKind(3 + int(engine() % 2));
    default:
        return ProblemKind(1 + int(engine() % 4));
    }
}

bool IsArea(ProblemKind kind) {
    return kind == ProblemKind::AreaFromRadius || kind == ProblemKind::AreaFromDiameter;
}

// Where each weakness shows: the radius and diameter mixed up where one must
// be doubled or halved, the formulas mixed up on areas, the order anywhere,
// stopping early on the longer area formula.
bool Bites(MistakeClass weakness, ProblemKind kind) {
    switch (weakness) {
    case MistakeClass::DiameterRadius:
        return kind == ProblemKind::CircumferenceFromRadius ||
               kind == ProblemKind::AreaFromDiameter;
    case MistakeClass::CircumferenceArea:
    case MistakeClass::Unfinished:
        return IsArea(kind);
    case MistakeClass::Order:
        return true;
    default:
        return false;
    }
}

QString Times(const QStringList& factors) {
    return factors.join(kTimesSign);
}

// The keys a student with this mistake presses.
QString KeysOf(MistakeClass mistake, ProblemKind kind, int v) {
    const int n = NeededNumber(kind, v);
    const QString pi = kPiText;
    switch (mistake) {
    case MistakeClass::DiameterRadius: {
        const QString other = QString::number(n == v ? 2 * v : v);
        return IsArea(kind) ? Times({other, other, pi}) : Times({other, pi});
    }
    case MistakeClass::CircumferenceArea:
        return IsArea(kind) ? Times({QString::number(n), pi})
                            : Times({QString::number(n), QString::number(n), pi});
    case MistakeClass::Order:
        return IsArea(kind) ? Times({pi, QString::number(n), QString::number(n)})
                            : Times({pi, QString::number(n)});
    case MistakeClass::Unfinished:
        return IsArea(kind) ? Times({QString::number(n), QString::number(n)})
                            : QString::number(n) + kTimesSign;
    default:
        return QString::number(v / 2 + 1);
    }
}

} // namespace

MistakeClass DemoWeakness(int student) {
    static const MistakeClass weaknesses[] = {MistakeClass::DiameterRadius,
                                              MistakeClass::CircumferenceArea, MistakeClass::Order,
                                              MistakeClass::Unfinished, MistakeClass::None};
    return weaknesses[(student + 4) % 5];
}

std::vector<Attempt> DemoRunAttempts(int student, int level, int seconds, bool timedOut,
                                     std::mt19937& engine) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const MistakeClass weakness = DemoWeakness(student);
    // The drill's own counting: a wrong answer takes one right answer back.
    std::vector<Attempt> attempts;
    int net = 0;
    int previous = 0;
    double clock = 0;
    const double perProblem = double(seconds) / kAnswersRequired;
    while (net < kAnswersRequired && attempts.size() < 40) {
        const ProblemKind kind = KindOn(level, engine);
        int v = 0;
        do
            v = 2 * (1 + int(engine() % 5));
        while (v == previous);
        previous = v;
        const double took = perProblem * (0.6 + 0.8 * unit(engine));
        const int number = int(attempts.size()) + 1;
        if (timedOut && net >= 4 + student % 4) {
            attempts.push_back(TimedOutAttempt(number, kind, v, clock, clock + 5 * perProblem));
            break;
        }
        const double chance = kSlip + (Bites(weakness, kind) ? kWeakness : 0);
        const bool wrong = unit(engine) < chance;
        const MistakeClass mistake =
            wrong ? (Bites(weakness, kind) ? weakness : MistakeClass::Other) : MistakeClass::None;
        const QString keys = wrong ? KeysOf(mistake, kind, v) : ExpectedAnswerFor(kind, v);
        attempts.push_back(AnsweredAttempt(number, kind, v, keys, clock, clock + took));
        clock += took + (wrong ? 2 : 0.5); // the sound, and the correction read
        net = attempts.back().correct ? net + 1 : std::max(0, net - 1);
    }
    return attempts;
}
