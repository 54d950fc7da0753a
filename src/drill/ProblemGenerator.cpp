#include "drill/ProblemGenerator.h"

#include "core/Platform.h"

#include <cmath>
#include <utility>

int DrawOneTo(RandomSource& random, int n) {
    return int(std::floor(random.next() * n + 1));
}

ProblemKind DrawKindForLevel(int level, RandomSource& random) {
    switch (level) {
    case 2:
        return ProblemKind::CircumferenceFromRadius;
    case 3:
        return DrawOneTo(random, 2) == 1 ? ProblemKind::CircumferenceFromDiameter
                                         : ProblemKind::CircumferenceFromRadius;
    case 4:
        return ProblemKind::AreaFromRadius;
    case 5:
        return ProblemKind::AreaFromDiameter;
    case 6:
        return DrawOneTo(random, 2) == 1 ? ProblemKind::AreaFromRadius
                                         : ProblemKind::AreaFromDiameter;
    case 7:
        return ProblemKind(DrawOneTo(random, 4));
    default: // level 1; levels this program does not offer drill like level 1
        return ProblemKind::CircumferenceFromDiameter;
    }
}

QString InstructionFor(ProblemKind kind) {
    return kind == ProblemKind::CircumferenceFromDiameter ||
                   kind == ProblemKind::CircumferenceFromRadius
               ? QStringLiteral("円周を求める式を完成しなさい")
               : QStringLiteral("円の面積を求める式を完成しなさい");
}

Figure FigureFor(ProblemKind kind) {
    return kind == ProblemKind::CircumferenceFromDiameter || kind == ProblemKind::AreaFromDiameter
               ? Figure::Diameter
               : Figure::Radius;
}

QString ExpectedAnswerFor(ProblemKind kind, int v) {
    const QString pi = kTimesSign + kPiText;
    switch (kind) {
    case ProblemKind::CircumferenceFromDiameter:
        return QString::number(v) + pi;
    case ProblemKind::CircumferenceFromRadius:
        return QString::number(2 * v) + pi;
    case ProblemKind::AreaFromRadius:
        return QString::number(v) + kTimesSign + QString::number(v) + pi;
    case ProblemKind::AreaFromDiameter:
        return QString::number(v / 2) + kTimesSign + QString::number(v / 2) + pi;
    }
    return QString();
}

CircleProblem MakeCircleProblem(int level, std::optional<int> previousValue, RandomSource& random) {
    const ProblemKind kind = DrawKindForLevel(level, random);
    return MakeProblemOfKind(kind, previousValue, random);
}

CircleProblem MakeProblemOfKind(ProblemKind kind, std::optional<int> previousValue,
                                RandomSource& random) {
    CircleProblem problem;
    problem.kind = kind;

    int v = 0;
    do {
        v = DrawOneTo(random, 5) * 2;
    } while (previousValue && v == *previousValue);
    problem.v = v;

    problem.instruction = InstructionFor(problem.kind);
    problem.figure = FigureFor(problem.kind);
    problem.expectedAnswer = ExpectedAnswerFor(problem.kind, v);

    std::array<QString, 3> shuffle = {QString::number(2 * v), QString::number(v),
                                      QString::number(v / 2)};
    for (int exchange = 0; exchange < 10; ++exchange) {
        const int j = DrawOneTo(random, 3);
        const int k = DrawOneTo(random, 3);
        std::swap(shuffle[j - 1], shuffle[k - 1]);
    }
    problem.candidates = shuffle;
    return problem;
}
