#include "rules/WeakSpots.h"

#include "core/Dates.h"
#include "core/Tables.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsKind(int kind) {
    return kind >= 1 && kind <= kProblemKinds;
}

std::optional<double> MedianSeconds(std::vector<int32_t> tenths) {
    if (tenths.empty()) return std::nullopt;
    const std::size_t middle = tenths.size() / 2;
    std::nth_element(tenths.begin(), tenths.begin() + std::ptrdiff_t(middle), tenths.end());
    double median = tenths[middle];
    if (tenths.size() % 2 == 0)
        median =
            (median + *std::max_element(tenths.begin(), tenths.begin() + std::ptrdiff_t(middle))) /
            2;
    return median / 10;
}

// A text padded with full-width blanks to `width` characters.
QString Padded(const QString& text, int width) {
    return text + QString(std::max<qsizetype>(0, width - text.size()), QChar(0x3000));
}

QString SecondsText(const std::optional<double>& seconds) {
    return seconds ? QString::number(*seconds, 'f', 1) + QStringLiteral("秒")
                   : QStringLiteral("－");
}

} // namespace

double FirstWeakSpotDay(const QDate& today) {
    return ToOleDay(today.addDays(1 - kWeakSpotDays));
}

bool WeakSpots::anyAnswered() const {
    return std::any_of(kinds.begin(), kinds.end(),
                       [](const KindWeakSpot& k) { return k.answered > 0; });
}

void WeakSpotTally::add(const Attempt& attempt) {
    if (!IsKind(attempt.kind)) return;
    Kind& kind = kinds_[std::size_t(attempt.kind - 1)];
    ++kind.answered;
    if (attempt.correct)
        kind.rightTenths.push_back(attempt.tenths);
    else
        ++kind.mistakes[std::size_t(attempt.mistake)];
}

void WeakSpotTally::add(const WeakSpotTally& other) {
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
        Kind& kind = kinds_[k];
        const Kind& more = other.kinds_[k];
        kind.answered += more.answered;
        for (std::size_t m = 0; m < kind.mistakes.size(); ++m)
            kind.mistakes[m] += more.mistakes[m];
        kind.rightTenths.insert(kind.rightTenths.end(), more.rightTenths.begin(),
                                more.rightTenths.end());
    }
}

WeakSpots WeakSpotTally::spots() const {
    WeakSpots spots;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
        const Kind& kind = kinds_[k];
        KindWeakSpot& spot = spots.kinds[k];
        spot.answered = kind.answered;
        spot.wrong = spot.answered - int(kind.rightTenths.size());
        // On equal counts the class named first in the table leads.
        for (const MistakeClass mistake : WrongAnswerClasses()) {
            const int count = kind.mistakes[std::size_t(mistake)];
            if (count > spot.leadingCount) {
                spot.leading = mistake;
                spot.leadingCount = count;
            }
        }
        spot.medianSeconds = MedianSeconds(kind.rightTenths);
    }
    return spots;
}

WeakSpots WeakSpotsOf(const std::vector<AttemptRecord>& records, int student, const QDate& today) {
    const double firstDay = FirstWeakSpotDay(today);
    WeakSpotTally tally;
    for (const AttemptRecord& record : records)
        if (record.student == student && record.date >= firstDay) tally.add(record.attempt);
    return tally.spots();
}

std::vector<WeakSpotTally> WeakSpotTalliesByStudent(const std::vector<AttemptRecord>& records,
                                                    const QDate& today) {
    const double firstDay = FirstWeakSpotDay(today);
    std::vector<WeakSpotTally> tallies(kStudentSlots);
    // The log's decoder keeps only records of a valid student.
    for (const AttemptRecord& record : records)
        if (record.date >= firstDay) tallies[std::size_t(record.student)].add(record.attempt);
    return tallies;
}

QString KindName(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("円周（直径）");
    case 2:
        return QStringLiteral("円周（半径）");
    case 3:
        return QStringLiteral("面積（半径）");
    case 4:
        return QStringLiteral("面積（直径）");
    }
    return QString();
}

QString MistakeName(MistakeClass mistake) {
    switch (mistake) {
    case MistakeClass::None:
        return QString();
    case MistakeClass::DiameterRadius:
        return QStringLiteral("直径と半径");
    case MistakeClass::CircumferenceArea:
        return QStringLiteral("円周と面積");
    case MistakeClass::Order:
        return QStringLiteral("順番");
    case MistakeClass::Unfinished:
        return QStringLiteral("途中");
    case MistakeClass::Other:
        return QStringLiteral("その他");
    case MistakeClass::TimedOut:
        return QStringLiteral("時間切れ");
    }
    return QString();
}

QString MistakeInitial(MistakeClass mistake) {
    switch (mistake) {
    case MistakeClass::Other:
        return QStringLiteral("他");
    default:
        return MistakeName(mistake).left(1);
    }
}

std::vector<MistakeClass> WrongAnswerClasses() {
    return {MistakeClass::DiameterRadius, MistakeClass::CircumferenceArea,
            MistakeClass::Order,          MistakeClass::Unfinished,
            MistakeClass::Other,          MistakeClass::TimedOut};
}

QString ShareText(const KindWeakSpot& spot) {
    return QString::number(std::lround(100 * spot.shareWrong())) + QLatin1Char('%');
}

QStringList WeakSpotLines(const WeakSpots& spots, const QString& unread) {
    QStringList lines{QStringLiteral("つまずき（この %1 日）").arg(kWeakSpotDays)};
    if (spots.anyAnswered()) {
        // Each title ends where its column's figures end.
        lines << Padded(QString(), 6) +
                     QStringLiteral("   問題まちがい　多いまちがい   正解の時間");
        for (int kind = 1; kind <= kProblemKinds; ++kind) {
            const KindWeakSpot& spot = spots.kinds[std::size_t(kind - 1)];
            QString line = Padded(KindName(kind), 6) +
                           RightAlign(QString::number(spot.answered), 5) + QStringLiteral("問");
            if (spot.answered == 0) {
                lines << line;
                continue;
            }
            line += RightAlign(ShareText(spot), 8) + QStringLiteral("　");
            line += spot.leadingCount > 0 ? Padded(MistakeName(spot.leading), 5) +
                                                RightAlign(QString::number(spot.leadingCount), 3) +
                                                QStringLiteral("回")
                                          : Padded(QString(), 5) + QStringLiteral("     ");
            lines << line + RightAlign(SecondsText(spot.medianSeconds), 9);
        }
    } else {
        lines << QStringLiteral("この %1 日の解答の記録はありません。").arg(kWeakSpotDays);
    }
    if (!unread.isEmpty()) lines << unread.split(QLatin1Char('\n'));
    return lines;
}

QString WeakSpotCellText(const KindWeakSpot& spot) {
    if (spot.answered == 0) return QStringLiteral("－");
    const QString share = ShareText(spot);
    return spot.leadingCount > 0 ? share + QLatin1Char(' ') + MistakeInitial(spot.leading) : share;
}
