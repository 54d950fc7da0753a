#pragma once
// The making of one circle-formula problem: a pure function of the level, the
// previous length and the random source. Random numbers are drawn in a fixed
// order: the kind (levels 3, 6, 7 only), the length (again while it repeats the
// previous one), then 20 draws for the ten exchanges of the shuffle.

#include <QString>

#include <array>
#include <optional>

class RandomSource;

enum class ProblemKind {
    CircumferenceFromDiameter = 1,
    CircumferenceFromRadius = 2,
    AreaFromRadius = 3,
    AreaFromDiameter = 4,
};

enum class Figure { Diameter = 0, Radius = 1 };

inline const QString kTimesSign = QStringLiteral("\u00D7");
inline const QString kPiText = QStringLiteral("3.14");

struct CircleProblem {
    ProblemKind kind = ProblemKind::CircumferenceFromDiameter;
    QString instruction;
    Figure figure = Figure::Diameter;
    int v = 0;                         // the labelled length: 2, 4, 6, 8 or 10
    std::array<QString, 3> candidates; // key captions top, middle, bottom
    QString expectedAnswer;
};

// Int(r × n + 1): a whole number from 1 to n, the generator's one kind of draw.
int DrawOneTo(RandomSource& random, int n);

CircleProblem MakeCircleProblem(int level, std::optional<int> previousValue, RandomSource& random);
// The two halves of it, for callers that choose the kind themselves (a
// worksheet of chosen kinds): the kind draw of the level, then the length draws
// and the shuffle.
ProblemKind DrawKindForLevel(int level, RandomSource& random);
CircleProblem MakeProblemOfKind(ProblemKind kind, std::optional<int> previousValue,
                                RandomSource& random);

// The parts of a problem that follow from its kind and length alone.
QString InstructionFor(ProblemKind kind);
Figure FigureFor(ProblemKind kind);
QString ExpectedAnswerFor(ProblemKind kind, int v);
