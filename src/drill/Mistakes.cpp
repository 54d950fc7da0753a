#include "drill/Mistakes.h"

#include <QStringList>

#include <optional>

#include <algorithm>
#include <cmath>

namespace {

bool IsArea(ProblemKind kind) {
    return kind == ProblemKind::AreaFromRadius || kind == ProblemKind::AreaFromDiameter;
}

// The input split at "×": "4×4×3.14" gives 4, 4, 3.14.
QStringList Factors(const QString& keys) {
    return keys.split(kTimesSign);
}

// Whether factors are n×3.14 (circumference) or n×n×3.14 (area) with n one
// of the key numbers, and which n.
std::optional<int> FormulaNumber(const QStringList& factors, bool area, int v) {
    const qsizetype count = area ? 3 : 2;
    if (factors.size() != count || factors.back() != kPiText) return std::nullopt;
    if (area && factors[0] != factors[1]) return std::nullopt;
    bool isNumber = false;
    const int n = factors[0].toInt(&isNumber);
    if (!isNumber || QString::number(n) != factors[0]) return std::nullopt;
    if (n != 2 * v && n != v && n * 2 != v) return std::nullopt;
    return n;
}

int32_t TenthsBetween(double from, double to) {
    return int32_t(std::max(0.0, std::round((to - from) * 10)));
}

QString Number(int n) {
    return QString::number(n);
}

// The rule of the kind with where its number comes from.
QString FormulaLine(ProblemKind kind, int v) {
    switch (kind) {
    case ProblemKind::CircumferenceFromDiameter:
        return QStringLiteral("円周は 直径×3.14。直径は %1 です。").arg(v);
    case ProblemKind::CircumferenceFromRadius:
        return QStringLiteral("円周は 直径×3.14。半径 %1 の 2 倍の %2 です。").arg(v).arg(2 * v);
    case ProblemKind::AreaFromRadius:
        return QStringLiteral("面積は 半径×半径×3.14。半径は %1 です。").arg(v);
    case ProblemKind::AreaFromDiameter:
        return QStringLiteral("面積は 半径×半径×3.14。直径 %1 の半分の %2 を使います。")
            .arg(Number(v), Number(v / 2));
    }
    return QString();
}

} // namespace

int NeededNumber(ProblemKind kind, int v) {
    switch (kind) {
    case ProblemKind::CircumferenceFromDiameter:
    case ProblemKind::AreaFromRadius:
        return v;
    case ProblemKind::CircumferenceFromRadius:
        return 2 * v;
    case ProblemKind::AreaFromDiameter:
        return v / 2;
    }
    return v;
}

MistakeClass ClassifyMistake(ProblemKind kind, int v, const QString& keys) {
    const QString expected = ExpectedAnswerFor(kind, v);
    const QString entered = keys.trimmed();
    if (entered == expected) return MistakeClass::None;
    const QStringList factors = Factors(entered);
    const bool area = IsArea(kind);
    if (const auto n = FormulaNumber(factors, area, v); n && *n != NeededNumber(kind, v))
        return MistakeClass::DiameterRadius;
    if (FormulaNumber(factors, !area, v)) return MistakeClass::CircumferenceArea;
    QStringList sortedEntered = factors;
    QStringList sortedExpected = Factors(expected);
    sortedEntered.sort();
    sortedExpected.sort();
    if (sortedEntered == sortedExpected) return MistakeClass::Order;
    if (!entered.isEmpty() && expected.startsWith(entered)) return MistakeClass::Unfinished;
    return MistakeClass::Other;
}

Attempt AnsweredAttempt(int problem, ProblemKind kind, int v, const QString& keys, double shownAt,
                        double answeredAt) {
    Attempt attempt;
    attempt.problem = problem;
    attempt.kind = int(kind);
    attempt.length = v;
    attempt.keys = keys;
    attempt.mistake = ClassifyMistake(kind, v, keys);
    attempt.correct = attempt.mistake == MistakeClass::None;
    attempt.tenths = TenthsBetween(shownAt, answeredAt);
    return attempt;
}

Attempt TimedOutAttempt(int problem, ProblemKind kind, int v, double shownAt, double endedAt) {
    Attempt attempt;
    attempt.problem = problem;
    attempt.kind = int(kind);
    attempt.length = v;
    attempt.mistake = MistakeClass::TimedOut;
    attempt.tenths = TenthsBetween(shownAt, endedAt);
    return attempt;
}

QString CorrectionLine(ProblemKind kind, int v, MistakeClass mistake) {
    switch (mistake) {
    case MistakeClass::None:
    case MistakeClass::TimedOut:
        return QString();
    case MistakeClass::CircumferenceArea:
        return IsArea(kind) ? QStringLiteral("面積は 半径×半径×3.14。直径×3.14 は 円周です。")
                            : QStringLiteral("円周は 直径×3.14。半径×半径×3.14 は 面積です。");
    case MistakeClass::Order:
        return QStringLiteral("3.14 は さいごに かけます。");
    case MistakeClass::Unfinished:
        return QStringLiteral("式の さいごの ×3.14 まで おしてから OK です。");
    case MistakeClass::DiameterRadius:
    case MistakeClass::Other:
        break;
    }
    return FormulaLine(kind, v);
}
