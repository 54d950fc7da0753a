#include "app/StudentChoice.h"

#include "core/ProgramState.h"
#include "platform/Process.h"
#include "roster/GradeFilters.h"

#include <QFile>

#include <set>

bool ReadStudentOption(StudentChoice& choice, const QStringList& args, qsizetype& i,
                       QString& problem) {
    const QString& option = args[i];
    if (option == QStringLiteral("--student")) {
        // The IDs run up to the next argument that is not a number.
        for (bool isId = true; i + 1 < args.size(); ++i) {
            const int id = args[i + 1].toInt(&isId);
            if (!isId) break;
            choice.students.push_back(id);
        }
        if (choice.students.empty()) problem = QStringLiteral("--student needs one or more IDs");
        return true;
    }
    if (option != QStringLiteral("--grade")) return false;
    if (++i >= args.size()) {
        problem = QStringLiteral("%1 needs a value").arg(option);
        return true;
    }
    choice.grade = ReadGradeChoice(args[i]);
    choice.gradeText = args[i];
    if (!choice.grade)
        problem =
            QStringLiteral("--grade \"%1\" is not a grade: one of %2, or a grade as the "
                           "sheet prints it (小5, 中２, 高1, ...)")
                .arg(args[i], QStringList(GradeFilterEntries().begin(), GradeFilterEntries().end())
                                  .join(QLatin1Char(' ')));
    return true;
}

std::vector<SheetStudent> ChosenStudents(ProgramState& state, const StudentChoice& choice,
                                         QString& problem) {
    const GradeChoice grade = choice.grade.value_or(GradeChoice{});
    std::vector<SheetStudent> students = NameListStudents(state, grade);
    if (!choice.students.empty()) {
        const std::set<int> wanted(choice.students.begin(), choice.students.end());
        std::set<int> listed;
        std::erase_if(students, [&](const SheetStudent& s) { return !wanted.contains(s.id); });
        for (const SheetStudent& s : students)
            listed.insert(s.id);
        for (const int id : wanted)
            if (!listed.contains(id))
                problem += QStringLiteral("student %1 is not on the name list under %2\n")
                               .arg(id)
                               .arg(choice.gradeText);
    }
    if (students.empty() && problem.isEmpty())
        problem = QStringLiteral("no student on the name list under %1\n").arg(choice.gradeText);
    return students;
}

bool CanWriteOutput(const char* command, const QString& path) {
    QFile probe(path);
    if (probe.open(QIODevice::WriteOnly)) return true;
    platform::WriteText(platform::StandardStream::Error,
                        QStringLiteral("%1: cannot write %2: %3\n")
                            .arg(QString::fromUtf8(command), path, probe.errorString()));
    return false;
}
