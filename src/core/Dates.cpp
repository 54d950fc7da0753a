#include "core/Dates.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>
#include <string>

namespace {
const QDate kOleEpoch(1899, 12, 30);
} // namespace

double ToOleDay(const QDate& date) {
    return double(kOleEpoch.daysTo(date));
}

double ToOleTimeOfDay(const QTime& time) {
    return time.msecsSinceStartOfDay() / 86400000.0;
}

QDate FromOleDay(double day) {
    return kOleEpoch.addDays(static_cast<qint64>(std::floor(day)));
}

QTime FromOleTimeOfDay(double fraction) {
    const double f = fraction - std::floor(fraction);
    const int seconds = int(std::lround(f * 86400.0)) % 86400;
    return QTime(0, 0).addSecs(seconds);
}

namespace {
QString FormatIcu(const char* pattern, const icu::Locale& locale, UDate instant) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8(pattern), locale, status);
    if (U_FAILURE(status)) return QString();
    icu::UnicodeString text;
    format.format(instant, text);
    std::string utf8;
    text.toUTF8String(utf8);
    return QString::fromStdString(utf8);
}
} // namespace

QString FormatEraDate(const QDateTime& when) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    // The wall-clock fields go in through a Gregorian calendar of the zone the
    // formatter uses, so the shown day is the local day whatever the zone.
    icu::GregorianCalendar gregorian(status);
    std::unique_ptr<icu::Calendar> japanese(icu::Calendar::createInstance(locale, status));
    if (U_FAILURE(status)) return when.date().toString(QStringLiteral("yyyy年 M月 dd日"));
    gregorian.clear();
    gregorian.set(when.date().year(), when.date().month() - 1, when.date().day(),
                  when.time().hour(), when.time().minute(), when.time().second());
    const UDate instant = gregorian.getTime(status);
    japanese->setTime(instant, status);
    // The era year is written as a number, also in an era's first year (not 元年).
    const int eraYear = japanese->get(UCAL_YEAR, status);
    return FormatIcu("GGGG", locale, instant) + QString::number(eraYear) +
           FormatIcu("年 M月 dd日（E）", locale, instant);
}

Colour SeasonColorForMonth(int month) {
    if (month <= 2) return Colour{255, 128, 0};
    if (month <= 5) return Colour{192, 255, 192};
    if (month <= 8) return Colour{0, 192, 192};
    if (month <= 11) return Colour{192, 64, 0};
    return Colour{192, 255, 192};
}
