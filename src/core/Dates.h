#pragma once
// OLE Automation dates (whole days since 30 December 1899, the fraction is the
// time of day), the era date of the start-up screen and the season colour.

#include "core/Colour.h"

#include <QDate>
#include <QDateTime>
#include <QString>

double ToOleDay(const QDate& date);
double ToOleTimeOfDay(const QTime& time);
QDate FromOleDay(double day);
QTime FromOleTimeOfDay(double fraction);

// "令和8年 12月 09日（水）": era, era year, month, two-digit day, weekday.
QString FormatEraDate(const QDateTime& when);

// The background colour of the name and board screens, chosen by month.
Colour SeasonColorForMonth(int month);
