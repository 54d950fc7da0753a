#include "roster/GradeFilters.h"

#include "roster/Roster.h"

const std::array<QString, 12>& GradeFilterEntries() {
    static const std::array<QString, 12> kEntries = {
        kAllGrades,
        QStringLiteral("中学生全体"),
        QStringLiteral("小学生全体"),
        QStringLiteral("中３"),
        QStringLiteral("中２"),
        QStringLiteral("中１"),
        QStringLiteral("小６"),
        QStringLiteral("小５"),
        QStringLiteral("小４"),
        QStringLiteral("小３"),
        QStringLiteral("小２"),
        QStringLiteral("小１"),
    };
    return kEntries;
}

bool GradeFilterKeeps(const QString& filter, int gradeNumber) {
    if (filter == kAllGrades) return true;
    if (filter == QStringLiteral("小学生全体")) return gradeNumber >= 1 && gradeNumber <= 6;
    if (filter == QStringLiteral("中学生全体")) return gradeNumber >= 7 && gradeNumber <= 9;
    // A single grade: its label is the full-width grade label of 小１..中３.
    const auto label = GradeLabel(gradeNumber);
    return gradeNumber >= 1 && gradeNumber <= 9 && label && *label == filter;
}

bool InGradeFilter(const QString& filterText, int grade) {
    return filterText == QStringLiteral("家族") || GradeFilterKeeps(filterText, grade);
}
