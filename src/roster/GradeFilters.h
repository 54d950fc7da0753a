#pragma once
// The grade filters that the name screen, the level board and the teachers'
// commands offer, and which grades each one keeps.

#include <QString>

#include <array>

inline const QString kAllGrades = QStringLiteral("全学年");

// The grade filter's entries, in the order the name screen and the board offer them.
const std::array<QString, 12>& GradeFilterEntries();

// The name screen's filter: "全学年" keeps every grade, "小学生全体" 1..6,
// "中学生全体" 7..9, "小１".."中３" their own grade; any other text keeps none.
bool GradeFilterKeeps(const QString& filter, int gradeNumber);

// The board's lists and reports also show everyone under "家族".
bool InGradeFilter(const QString& filterText, int grade);
