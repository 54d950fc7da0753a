#include "screens/WorksheetScreen.h"

#include "core/Platform.h"
#include "core/ProgramState.h"
#include "core/Seeding.h"
#include "core/SharedReading.h"
#include "paper/WorksheetDrawing.h"
#include "screens/PrintOrPdf.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("プリント作成");
} // namespace

QString WorksheetPdfName(const QDateTime& now) {
    return QStringLiteral("プリント_%1.pdf").arg(now.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

WorksheetScreen::WorksheetScreen(ProgramState& state, QWidget* parent) : Screen(state, parent) {
    setObjectName(QStringLiteral("FrmWorksheet"));
    SetBackground(this, Rgb(224, 232, 240));
    setStyleSheet(QStringLiteral("font-size: 14pt;"));
    MakeLabel(this, QStringLiteral("Label1"), kTitle, TwipRect(600, 450, 6000, 600))
        ->setStyleSheet(QStringLiteral("font-size: 20pt; font-weight: bold;"));

    MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("レベル"),
              TwipRect(600, 1500, 2400, 480));
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(TwipRect(3000, 1450, 4500, 560));
    MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("問題の数"),
              TwipRect(600, 2400, 2400, 480));
    text1_ = new QSpinBox(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setRange(1, kMostWorksheetProblems);
    text1_->setValue(kDefaultWorksheetCount);
    text1_->setGeometry(TwipRect(3000, 2350, 1800, 560));

    const QString whom[2] = {QStringLiteral("この生徒"), QStringLiteral("学年の生徒全員")};
    auto* group = new QButtonGroup(this);
    for (int k = 0; k < 2; ++k) {
        option1_[k] = new QRadioButton(whom[k], this);
        option1_[k]->setObjectName(QStringLiteral("Option1_%1").arg(k));
        option1_[k]->setGeometry(TwipRect(600, 3300 + k * 600, 7000, 480));
        group->addButton(option1_[k], k);
    }
    option1_[0]->setChecked(true);
    check2_ = new QCheckBox(QStringLiteral("弱点から出す（この 30 日のまちがい）"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    check2_->setGeometry(TwipRect(600, 4500, 7000, 480));
    check1_ = new QCheckBox(QStringLiteral("解答ページもつける"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setGeometry(TwipRect(600, 5300, 7000, 480));
    check1_->setChecked(true);

    command1_ = MakeButton(this, QStringLiteral("Command1"), QStringLiteral("印刷"),
                           TwipRect(600, 6400, 2400, 720));
    command2_ = MakeButton(this, QStringLiteral("Command2"), QStringLiteral("戻る"),
                           TwipRect(3300, 6400, 2400, 720));
    connect(command1_, &QPushButton::clicked, this,
            [this] { RunFileAction(state_, [this] { printClicked(); }); });
    connect(command2_, &QPushButton::clicked, this, &WorksheetScreen::goBack);
}

void WorksheetScreen::activate() {
    combo1_->clear();
    for (int level = 1; level <= std::min(kWorksheetLevels, state_.levels.LevelCount); ++level)
        combo1_->addItem(
            QStringLiteral("%1　%2").arg(level).arg(state_.levels.LevelNames[std::size_t(level)]),
            level);
    option1_[1]->setText(QStringLiteral("学年の生徒全員（%1）").arg(state_.session.GradeFilter));
}

WorksheetSettings WorksheetScreen::chosenSettings() const {
    WorksheetSettings settings;
    settings.levels = {combo1_->currentData().toInt()};
    settings.count = text1_->value();
    settings.key = check1_->isChecked();
    settings.weak = check2_->isChecked();
    settings.seed = DrawnWorksheetSeed(FreshSeed(*state_.platform.clock));
    return settings;
}

bool WorksheetScreen::printTo(QPrinter& printer) {
    const WorksheetFor who =
        option1_[1]->isChecked() ? WorksheetFor::GradeFilter : WorksheetFor::ThisStudent;
    const auto students = WorksheetStudents(state_, who);
    if (students.empty()) return false;
    const WorksheetSettings settings = chosenSettings();
    const QDateTime now = state_.platform.clock->now();
    // A log that cannot be read is named on each sheet's key.
    AttemptReading attempts;
    if (settings.weak)
        attempts = ReadPatientlyValue(state_, [&] {
            return ReadAttemptsSince(AttemptLogPath(state_), FirstWeakSpotDay(now.date()));
        });
    const std::vector<Worksheet> sheets =
        BuildWorksheets(state_, students, settings, now, *state_.platform.random, attempts);
    return PrintWorksheets(printer, sheets, settings);
}

void WorksheetScreen::printClicked() {
    const std::optional<PdfWritten> pdf =
        PrintOrWritePdf(this, WorksheetPdfName(state_.platform.clock->now()),
                        [this](QPrinter& printer) { return printTo(printer); });
    if (!pdf) return;
    state_.platform.dialogs->inform(
        kTitle,
        pdf->written
            ? QStringLiteral("プリンターがないので、プリントを PDF ファイルに書き出しました。\n%1")
                  .arg(pdf->path)
            : QStringLiteral("プリントを書き出せませんでした。\n%1\n"
                             "生徒が選ばれているか、ホームフォルダに書き込めるか確かめてください。")
                  .arg(pdf->path));
}

void WorksheetScreen::goBack() {
    state_.platform.navigator->showBoard();
    if (auto* host = qobject_cast<ScreenHost*>(parentWidget())) host->closeScreen(this);
}
