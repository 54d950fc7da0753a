#pragma once
// The students a teacher's printing command is asked for: --grade GRADE (the
// name screen's grade filter or a grade as the sheet prints it) or
// --student ID..., in the name list's order.

#include "rules/ClassSheet.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct ProgramState;

struct StudentChoice {
    std::optional<GradeChoice> grade;
    QString gradeText = QStringLiteral("全学年"); // as given, for messages
    std::vector<int> students;

    bool chosen() const { return grade || !students.empty(); }
};

// Takes --grade GRADE and --student ID... at args[i], as an OwnOption does
// (app/CommandLine.h): false when args[i] is neither.
bool ReadStudentOption(StudentChoice& choice, const QStringList& args, qsizetype& i,
                       QString& problem);

// The name list's students under the grade, narrowed to the IDs asked for;
// `problem` names every ID that is not listed, or says that nobody is.
std::vector<SheetStudent> ChosenStudents(ProgramState& state, const StudentChoice& choice,
                                         QString& problem);

// The printer reports nothing when it cannot write its file: this tries first
// and says why on standard error.
bool CanWriteOutput(const char* command, const QString& path);
