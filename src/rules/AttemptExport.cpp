#include "rules/AttemptExport.h"

#include "core/Dates.h"
#include "core/Tables.h"
#include "drill/ProblemGenerator.h"
#include "rules/WeakSpots.h"

#include <QDateTime>

QByteArray AttemptsCsv(const std::vector<AttemptRecord>& records,
                       const std::vector<StatsStudent>& students) {
    std::vector<const StatsStudent*> byId(kStudentSlots, nullptr);
    for (const StatsStudent& student : students)
        if (IsValidStudent(student.id)) byId[std::size_t(student.id)] = &student;
    QByteArray csv = "student,name,grade,level,date,time,problem,kind,length,expected,entered,"
                     "correct,mistake,seconds\n";
    for (const AttemptRecord& record : records) {
        const StatsStudent* student = byId[std::size_t(record.student)];
        if (!student) continue;
        const Attempt& a = record.attempt;
        const QString date = FromOleDay(record.date).toString(QStringLiteral("yyyy-MM-dd"));
        const QString time =
            FromOleTimeOfDay(record.timeOfDay).toString(QStringLiteral("HH:mm:ss"));
        csv += QByteArray::number(record.student) + ',' + CsvText(student->name) + ',' +
               CsvText(student->grade) + ',' + QByteArray::number(record.level) + ',' +
               date.toUtf8() + ',' + time.toUtf8() + ',' + QByteArray::number(a.problem) + ',' +
               QByteArray::number(a.kind) + ',' + QByteArray::number(a.length) + ',' +
               CsvText(ExpectedAnswerFor(ProblemKind(a.kind), a.length)) + ',' + CsvText(a.keys) +
               ',' + (a.correct ? '1' : '0') + ',' + CsvText(MistakeName(a.mistake)) + ',' +
               QByteArray::number(a.tenths / 10.0, 'f', 1) + '\n';
    }
    return csv;
}
