#include "screens/ReportPanel.h"

#include "core/Platform.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "paper/ClassReport.h"
#include "paper/ReportDrawing.h"
#include "paper/TextShapes.h"
#include "records/AttemptLog.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "rules/LevelBoardRules.h"
#include "rules/WeakSpots.h"
#include "screens/PrintOrPdf.h"
#include "widgets/Screen.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

constexpr int kPanelLeft = 120;
constexpr int kPanelTop = 1740;
constexpr int kReportLevelsShown = 3;      // the "グラフ" button's choice: levels 1..3
constexpr int kDotsPerMeterAt96Dpi = 3780; // fonts on the drawing area as on the screen

QListWidget* PanelList(QWidget* parent, const QString& name, const QRect& rect) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(rect);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

} // namespace

QString ReportPdfName(const QDateTime& now) {
    return QStringLiteral("成績グラフ_%1.pdf").arg(now.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

namespace {

// "<grade> /  <name>/<ID>"; the ID is read back after the last "/".
QString StudentLine(const ListedStudent& student) {
    return student.Grade + QStringLiteral(" /  ") + student.Name.trimmed() + QLatin1Char('/') +
           QString::number(student.Id);
}
int StudentOfLine(const QString& line) {
    return line.section(QLatin1Char('/'), -1).toInt();
}

} // namespace

ReportPanel::ReportPanel(ProgramState& state, SettingsSource settings, QWidget* parent)
    : QFrame(parent), state_(state), settings_(std::move(settings)) {
    setObjectName(QStringLiteral("Picture11"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setGeometry(TwipRect(kPanelLeft, kPanelTop, 15120, 9660));
    createControls();
    hide();
}

void ReportPanel::createControls() {
    picture12_ = new QLabel(this);
    picture12_->setObjectName(QStringLiteral("Picture12"));
    picture12_->setGeometry(TwipRect(60, 60, 12300, 9540));
    picture12_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetBackground(picture12_, kReportBackground);
    image_ = QImage(picture12_->size(), QImage::Format_RGB32);
    image_.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    image_.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    image_.fill(kReportBackground);

    list3_ = PanelList(this, QStringLiteral("List3"), TwipRect(12480, 60, 2520, 3150));
    connect(list3_, &QListWidget::itemClicked, this, [this] {
        if (isVisible()) runOnce([this] { showReports(); });
    });
    command24_[0] = MakeButton(this, QStringLiteral("Command24_0"), QStringLiteral("表示"),
                               TwipRect(12480, 3720, 1230, 450));
    connect(command24_[0], &QPushButton::clicked, this,
            [this] { runOnce([this] { showReports(); }); });
    command24_[1] = MakeButton(this, QStringLiteral("Command24_1"), QStringLiteral("印刷"),
                               TwipRect(13770, 3720, 1230, 450));
    connect(command24_[1], &QPushButton::clicked, this,
            [this] { runOnce([this] { printClicked(); }); });
    // Printing the whole class: the progress sheet, then every student's report.
    wholeClass_ = new QCheckBox(QStringLiteral("このクラス全員"), this);
    wholeClass_->setObjectName(QStringLiteral("WholeClass"));
    wholeClass_->setGeometry(TwipRect(12480, 3270, 2520, 390));
    command25_ =
        MakeButton(this, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"),
                   TwipRect(12480, 4290, 2520, 450));
    connect(command25_, &QPushButton::clicked, this, [this] { otherStudentsClicked(); });
    list2_ = PanelList(this, QStringLiteral("List2"), TwipRect(12480, 4290, 2520, 4500));
    list2_->hide();
    connect(list2_, &QListWidget::itemClicked, this,
            [this] { runOnce([this] { showReports(); }); });
    command18_ = MakeButton(this, QStringLiteral("Command18"), QStringLiteral("戻る"),
                            TwipRect(12480, 8940, 2520, 600));
    connect(command18_, &QPushButton::clicked, this, [this] { hide(); });
}

void ReportPanel::refreshLists() {
    list3_->clear();
    for (int level = 1; level <= state_.levels.LevelCount; ++level)
        list3_->addItem(QString::number(level));

    QStringList students;
    for (const ListedStudent& student : ReadBoardRoster(state_))
        students << StudentLine(student);
    std::sort(students.begin(), students.end());
    list2_->clear();
    list2_->addItems(students);

    reportStudent_ = state_.session.StudentNo;
    const bool teacher = IsTeacherName(state_.session.StudentName);
    command24_[1]->setVisible(teacher);
    wholeClass_->setVisible(teacher);
}

void ReportPanel::runOnce(const std::function<void()>& action) {
    if (busy_) return;
    const QScopedValueRollback<bool> busy(busy_, true);
    RunFileAction(state_, action);
}

void ReportPanel::showForStudent(int student) {
    if (busy_) return;
    const QScopedValueRollback<bool> busy(busy_, true);
    refreshLists();
    reportStudent_ = student;
    list2_->hide();
    command25_->show();
    list2_->clearSelection();
    list3_->clearSelection();
    for (int row = 0; row < std::min(kReportLevelsShown, list3_->count()); ++row)
        list3_->item(row)->setSelected(true);
    reportFontSize_ = 6;
    showReports();
}

void ReportPanel::otherStudentsClicked() {
    command25_->hide();
    list2_->show();
}

std::vector<int> ReportPanel::chosenStudents() const {
    std::vector<int> students;
    for (int row = 0; row < list2_->count(); ++row)
        if (list2_->item(row)->isSelected())
            students.push_back(StudentOfLine(list2_->item(row)->text()));
    if (students.empty()) students.push_back(reportStudent_);
    return students;
}

std::vector<int> ReportPanel::chosenLevels() const {
    std::vector<int> levels;
    for (int row = 0; row < list3_->count(); ++row)
        if (list3_->item(row)->isSelected()) levels.push_back(list3_->item(row)->text().toInt());
    return ReportLevels(levels, state_.levels.LevelCount);
}

std::vector<ResultRecord> ReportPanel::recordWindow() const {
    return ReadRecentResults(state_, kPeriodViewRecords);
}

std::vector<ReportData> ReportPanel::reportBlocks(int student,
                                                  const std::vector<ResultRecord>& records) const {
    const QDate today = state_.platform.clock->now().date();
    const ReportSettings settings = settings_();
    std::vector<ReportData> blocks;
    for (const int level : chosenLevels())
        blocks.push_back(BuildReportData(state_, student, level, records, today, settings));
    return blocks;
}

void ReportPanel::placeInFront() {
    move(TwipRect(kPanelLeft, kPanelTop, 0, 0).topLeft());
    show();
    raise();
}

// The つまずき block's lines; a log that cannot be read says so there.
QStringList ReportPanel::weakSpotLines(int student) const {
    const QDate today = state_.platform.clock->now().date();
    const AttemptReading attempts =
        ReadPatientlyValue(state_, [path = AttemptLogPath(state_), from = FirstWeakSpotDay(today),
                                    student] { return ReadAttemptsSince(path, from, student); });
    return WeakSpotLines(WeakSpotsOf(attempts.records, student, today), attempts.problem);
}

void ReportPanel::showReports() {
    placeInFront();
    const std::vector<ResultRecord> records = recordWindow();
    for (const int student : chosenStudents()) {
        reportStudent_ = student;
        // Read before the painter begins: events run while a read waits.
        const QStringList weakSpots = weakSpotLines(student);
        image_.fill(kReportBackground);
        QPainter painter(&image_);
        TextShapes shapes;
        DrawReportRunWithWeakSpots(
            painter, QRectF(image_.rect()), reportBlocks(student, records), weakSpots,
            {reportFontSize_, false}, [this] { image_.fill(kReportBackground); }, shapes);
    }
    picture12_->setPixmap(QPixmap::fromImage(image_));
}

bool ReportPanel::printReports(QPrinter& printer) {
    placeInFront();
    const std::vector<ResultRecord> records = recordWindow();
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // One print job for every chosen student, each starting a page of their own.
    PrintStudentPages(painter, printer, chosenStudents(), [&](int student) {
        reportStudent_ = student;
        return reportBlocks(student, records);
    });
    return painter.end();
}

bool ReportPanel::printClassReport(QPrinter& printer) {
    placeInFront();
    const ReportSettings settings = settings_();
    const auto students = NameListStudents(state_, settings.gradeFilter);
    const ClassSheet sheet = BuildClassSheet(state_, students, state_.platform.clock->now());
    if (sheet.grades.empty()) return false;
    const ReportBlockSource blocks(state_, chosenLevels(), recordWindow(),
                                   state_.platform.clock->now().date(), settings);
    PrintClassReport(printer, sheet, SheetStudents(sheet), blocks);
    return true;
}

bool ReportPanel::printChosen(QPrinter& printer) {
    return wholeClass_->isChecked() ? printClassReport(printer) : printReports(printer);
}

void ReportPanel::printClicked() {
    const std::optional<PdfWritten> pdf =
        PrintOrWritePdf(this, ReportPdfName(state_.platform.clock->now()),
                        [this](QPrinter& printer) { return printChosen(printer); });
    if (!pdf) return;
    state_.platform.dialogs->inform(
        QStringLiteral("印刷"),
        pdf->written ? QStringLiteral(
                           "プリンターがないので、成績グラフを PDF ファイルに書き出しました。\n%1")
                           .arg(pdf->path)
                     : QStringLiteral("プリンターがなく、PDF ファイルも書き出せませんでした。\n%1\n"
                                      "ホームフォルダに書き込めるか確かめてください。")
                           .arg(pdf->path));
}
