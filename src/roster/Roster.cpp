#include "roster/Roster.h"

#include "core/CsvReader.h"
#include "core/SharedReading.h"
#include "core/Text.h"

#include <QDir>
#include <QLoggingCategory>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {
Q_LOGGING_CATEGORY(lcRoster, "drill.roster")

// A numeric field as a signed 16-bit value: rounded, held inside the range.
int16_t ToInt16(double value) {
    const double rounded = std::nearbyint(value);
    return static_cast<int16_t>(std::clamp(rounded, double(std::numeric_limits<int16_t>::min()),
                                           double(std::numeric_limits<int16_t>::max())));
}

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ');
}

constexpr int kRosterValuesPerLine = 8;
// Shown with a missing or malformed roster: what each line must hold.
const QString kRosterContents = QStringLiteral(
    "新名簿.txt（コードページ 932）には 1 行に 1 人ずつ、ID（1〜5000）、生まれ年、予備 2 個、"
    "名前、状態（0 在籍、1 休会、2 名簿表示スイッチが 1 のときだけ表示）、予備 2 個の "
    "8 個の値（カンマ区切り）が必要です。");
} // namespace

QString RosterFilePath(const ProgramState& state) {
    return NormalisePath(WithTrailingSeparator(state.folders.CommonFolder) + kRosterFileName);
}

QString FitRosterText(const QString& text) {
    return text.left(kRosterTextWidth).leftJustified(kRosterTextWidth, QLatin1Char(' '));
}

QString TrimTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return text.left(end);
}

QString TrimBlanks(const QString& text) {
    const QString trailingDone = TrimTrailingBlanks(text);
    qsizetype start = 0;
    while (start < trailingDone.size() && IsBlank(trailingDone[start]))
        ++start;
    return trailingDone.mid(start);
}

int ReadRosterLine(CsvReader& reader, RosterRecord& record) {
    const QStringList f = reader.readLineOf(kRosterValuesPerLine, QString(), kRosterContents);
    const auto number = [&f](int i) { return ToInt16(CsvReader::ToNumber(f[i])); };
    record.Id = number(0);
    record.BirthYear = number(1);
    record.Aux1 = number(2);
    record.Aux2 = number(3);
    record.Name = FitRosterText(f[4]);
    const int status = number(5);
    record.Aux3 = FitRosterText(f[6]);
    record.Aux4 = FitRosterText(f[7]);
    return status;
}

std::vector<RosterLine> ReadRosterFile(const QString& path) {
    CsvReader reader = CsvReader::fromFile(path, kRosterContents);
    std::vector<RosterLine> read;
    std::vector<int> lineNumbers;
    while (!reader.atEnd()) {
        RosterLine line;
        line.status = ReadRosterLine(reader, line.record);
        const int lineNumber = reader.lineOfLastLine();
        if (!IsValidStudent(line.record.Id)) {
            qCWarning(lcRoster).noquote()
                << QDir::toNativeSeparators(path) << "line" << lineNumber << ": ID"
                << line.record.Id << "is outside 1..5000; line skipped";
            continue;
        }
        read.push_back(std::move(line));
        lineNumbers.push_back(lineNumber);
    }
    // A later line of the same ID replaces the earlier one.
    std::unordered_map<int, std::size_t> lastLineOfId;
    for (std::size_t i = 0; i < read.size(); ++i)
        lastLineOfId[read[i].record.Id] = i;
    std::vector<RosterLine> lines;
    lines.reserve(lastLineOfId.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (lastLineOfId[read[i].record.Id] == i)
            lines.push_back(std::move(read[i]));
        else
            qCWarning(lcRoster).noquote()
                << QDir::toNativeSeparators(path) << "line" << lineNumbers[i] << ": ID"
                << read[i].record.Id << "comes again later; this line is ignored";
    }
    return lines;
}

std::vector<RosterLine> ReadRoster(ProgramState& state) {
    return ReadPatientlyValue(state,
                              [path = RosterFilePath(state)] { return ReadRosterFile(path); });
}

int SchoolYearOf(const QDate& today, int yearStartMonth) {
    return today.month() < yearStartMonth ? today.year() - 1 : today.year();
}

void ComputeSchoolYear(ProgramState& state) {
    state.roster.SchoolYear =
        SchoolYearOf(state.platform.clock->now().date(), state.common.YearStartMonth);
}

int GradeNumber(int schoolYear, int birthYear) {
    return schoolYear - birthYear - 6;
}

std::optional<QString> GradeLabel(int gradeNumber) {
    static const std::array<const char16_t*, 11> kLabels = {
        u"幼３", u"小１", u"小２", u"小３", u"小４", u"小５",
        u"小６", u"中１", u"中２", u"中３", u"高１",
    };
    if (gradeNumber < 0 || gradeNumber >= int(kLabels.size())) return std::nullopt;
    return QString::fromUtf16(kLabels[std::size_t(gradeNumber)]);
}

QString ShortGradeLabel(int gradeNumber) {
    if (gradeNumber < -2) return QStringLiteral("幼-");
    if (gradeNumber > 12) return QStringLiteral("大+");
    const int stage = StageNumber(gradeNumber);
    if (gradeNumber <= 0) return QStringLiteral("幼") + QString::number(gradeNumber + 3);
    if (gradeNumber <= 6) return QStringLiteral("小") + QString::number(stage);
    if (gradeNumber <= 9) return QStringLiteral("中") + QString::number(stage);
    return QStringLiteral("高") + QString::number(stage);
}

int StageNumber(int gradeNumber) {
    if (gradeNumber >= 10) return gradeNumber - 9;
    if (gradeNumber >= 7) return gradeNumber - 6;
    if (gradeNumber >= 1) return gradeNumber;
    return gradeNumber - 6;
}

bool IsShownOnNameScreen(int status, int listStatus2) {
    if (status == 2 && listStatus2 == 1) status = 0;
    return status == 0;
}

std::vector<RosterRecord> FillNameScreenRoster(ProgramState& state,
                                               const std::vector<RosterLine>& lines) {
    RosterTables& roster = state.roster;
    std::vector<RosterRecord> shown;
    for (const RosterLine& line : lines) {
        const RosterRecord& record = line.record;
        roster.RosterName[record.Id] = record.Name;
        roster.RosterBirthYear[record.Id] = record.BirthYear;
        if (auto label = GradeLabel(GradeNumber(roster.SchoolYear, record.BirthYear)))
            roster.RosterGrade[record.Id] = *label;
        if (!IsShownOnNameScreen(line.status, state.common.ListStatus2)) continue;
        if (int(shown.size()) >= kMaxStudent) {
            qCWarning(lcRoster) << "more than" << kMaxStudent << "students to show; ID" << record.Id
                                << "is not listed";
            continue;
        }
        shown.push_back(record);
        const std::size_t slot = shown.size();
        roster.Roster[slot] = record;
        roster.RosterId[slot] = record.Id;
    }
    roster.RosterCount = int(shown.size());
    return shown;
}

std::vector<ListedStudent> ReadBoardRoster(ProgramState& state) {
    ComputeSchoolYear(state);
    RosterTables& roster = state.roster;
    std::vector<ListedStudent> listed;
    for (const RosterLine& line : ReadRoster(state)) {
        const RosterRecord& record = line.record;
        roster.Roster[0] = record;
        roster.RosterName[record.Id] = TrimTrailingBlanks(record.Name);
        if (auto label = GradeLabel(GradeNumber(roster.SchoolYear, record.BirthYear)))
            roster.RosterGrade[record.Id] = *label;
        if (line.status == 0)
            listed.push_back({record.Id, roster.RosterName[record.Id],
                              roster.RosterGrade[record.Id], record.BirthYear});
    }
    return listed;
}

void ReadBrowserRoster(ProgramState& state, BrowserRoster& browser) {
    ComputeSchoolYear(state);
    browser.Ids.clear();
    for (const RosterLine& line : ReadRoster(state)) {
        const RosterRecord& record = line.record;
        state.roster.Roster[0] = record;
        browser.Name[record.Id] = TrimBlanks(record.Name);
        browser.BirthYear[record.Id] = record.BirthYear;
        browser.Status[record.Id] = line.status;
        if (auto label = GradeLabel(GradeNumber(state.roster.SchoolYear, record.BirthYear)))
            browser.Grade[record.Id] = *label;
        browser.Ids.push_back(record.Id);
    }
}
