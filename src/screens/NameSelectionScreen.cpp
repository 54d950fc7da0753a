#include "screens/NameSelectionScreen.h"

#include "audio/Sounds.h"
#include "core/Events.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/Seeding.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "widgets/VersionDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace {
const QString kProgramMenuExe = QStringLiteral("プログラムメニューc.exe");
constexpr int kLabel1Characters = 10;

// The name part of a row for Label1: blanks at both ends removed, and the
// full-width pad at its end, so the name sits centred.
QString NameOfRow(const QString& row) {
    QString name = TrimBlanks(row);
    while (name.endsWith(QChar(0x3000)) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

QFont FontOf(const QString& family, int points, bool bold = false) {
    QFont font(family, points);
    font.setBold(bold);
    return font;
}
} // namespace

QString ProgramMenuPath(const QString& appFolder) {
    QString folder = appFolder;
    while (EndsWithSeparator(folder))
        folder.chop(1);
    const QString exe = NormalisePath(folder + QStringLiteral("/../起動/") + kProgramMenuExe);
    const QString plain = exe.chopped(4);
    if (!QFileInfo::exists(exe) && QFileInfo::exists(plain)) return plain;
    return exe;
}

NameSelectionScreen::NameSelectionScreen(ProgramState& state, QWidget* parent)
    : Screen(state, parent) {
    setObjectName(QStringLiteral("namesel"));
    buildControls();
    // The screen sees every key before its controls do.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void NameSelectionScreen::buildControls() {
    const QString gothic = QStringLiteral("IPAPGothic");

    label4_ = new QLabel(this);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setGeometry(20, 8, 984, 84);
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setFont(FontOf(gothic, 48, true));
    label4_->setCursor(Qt::PointingHandCursor);

    label5_ = new QLabel(QStringLiteral("今までの全成績"), this);
    label5_->setObjectName(QStringLiteral("Label5"));
    label5_->setGeometry(40, 100, 540, 36);
    label5_->setFont(FontOf(gothic, 16, true));

    list1_ = new QListView(this);
    list1_->setObjectName(QStringLiteral("List1"));
    names_ = new NameListModel(list1_);
    list1_->setModel(names_);
    list1_->setGeometry(40, 140, 540, 600);
    // Full-width characters are twice as wide as half-width ones: the columns line up.
    QFont fixed(QStringLiteral("IPAGothic"), 17);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    list1_->setFont(fixed);
    // Every row is one line of the same font: the list lays out thousands at once.
    list1_->setUniformItemSizes(true);
    list1_->setStyleSheet(
        QStringLiteral("QListView { background: white; }"
                       "QListView::item { padding: 2px 4px; }"
                       "QListView::item:selected { background: #1e5bb8; color: white; }"));
    connect(list1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { selectRow(current.row()); });
    connect(list1_, &QListView::clicked, this,
            [this](const QModelIndex& index) { selectRow(index.row()); });
    connect(list1_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { doubleClickRow(index.row()); });

    label1_ = new QLabel(kChooseNamePrompt, this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(620, 140, 364, 64);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setFont(FontOf(gothic, 24, true));
    label1_->setStyleSheet(QStringLiteral("background: white; border: 2px solid #606060;"));

    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(620, 208, 364, 30);
    label2_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label2_->setFont(FontOf(gothic, 14));

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(620, 256, 364, 44);
    combo1_->setFont(FontOf(gothic, 18));
    combo1_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    combo1_->addItem(kAllGrades);
    connect(combo1_, &QComboBox::activated, this, [this](int) { chooseGrade(); });

    static const char16_t* const kOptionTexts[] = {
        u"回数(今日／今まで）", u"ポイント（今日／今まで）", u"本日（ポイント／回数）",
        u"今まで（ポイント／回数）"};
    option1_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(kOptionTexts[i]), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option->setGeometry(630, 318 + 38 * i, 354, 34);
        option->setFont(FontOf(gothic, 15));
        option1_->addButton(option, i);
    }
    option1_->button(0)->setChecked(true);
    connect(option1_, &QButtonGroup::idClicked, this, &NameSelectionScreen::chooseOption);

    command14_ = new QPushButton(QStringLiteral("O.K."), this);
    command14_->setObjectName(QStringLiteral("Command14"));
    command14_->setGeometry(620, 490, 364, 100);
    command14_->setFont(FontOf(gothic, 32, true));
    connect(command14_, &QPushButton::clicked, this, &NameSelectionScreen::confirm);

    command7_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), this);
    command7_->setObjectName(QStringLiteral("Command7"));
    command7_->setGeometry(620, 676, 364, 64);
    command7_->setFont(FontOf(gothic, 16));
    connect(command7_, &QPushButton::clicked, this, &NameSelectionScreen::leaveForProgramMenu);

    picture5_ = new QFrame(this);
    picture5_->setObjectName(QStringLiteral("Picture5"));
    picture5_->setFrameShape(QFrame::Box);
    picture5_->setLineWidth(2);
    picture5_->setGeometry(312, 324, 400, 120);
    auto* wait = new QLabel(QStringLiteral("Just a moment, please."), picture5_);
    wait->setAlignment(Qt::AlignCenter);
    wait->setGeometry(0, 0, 400, 120);
    wait->setFont(FontOf(gothic, 20));
    picture5_->hide();
}

void NameSelectionScreen::load() {
    SetBackground(this, state_.SeasonColor);
    SetBackground(picture5_, state_.SeasonColor);
    state_.platform.random->seed(FreshSeed(*state_.platform.clock));
    show();
    rebuildOrStop();
    label4_->setText(state_.levels.ProgramTitle);
    list1_->setCurrentIndex(names_->index(0));
    picture5_->hide();
}

void NameSelectionScreen::activate() {
    // Each entry once, however often the screen comes back.
    if (combo1_->count() != int(GradeFilterEntries().size())) {
        combo1_->clear();
        for (const QString& entry : GradeFilterEntries())
            combo1_->addItem(entry);
    }
    state_.session.GradeFilter = kAllGrades;
    bool stale = combo1_->currentText() != kAllGrades;
    combo1_->setCurrentIndex(0);
    const int shown = int(kNameScreenShownOption);
    if (displayOption_ != shown || !option1_->button(shown)->isChecked()) {
        displayOption_ = shown;
        option1_->button(shown)->setChecked(true);
        stale = true;
    }
    if (stale) rebuildOrStop();
    state_.platform.navigator->closeBoard();
    label1_->setText(kChooseNamePrompt);
    label2_->clear();
    picture5_->hide();
}

void NameSelectionScreen::returnedTo() {
    // Not while the list is being built, nor once the board is on its way.
    if (!rebuilding_ && !stopped_ && !command14_->isHidden()) activate();
}

void NameSelectionScreen::名簿表示() {
    ComputeSchoolYear(state_);
    CountResultsPatiently(state_);
    NameListRows rows = BuildNameList(state_, displayOption_, combo1_->currentText());
    const QSignalBlocker quiet(list1_->selectionModel());
    names_->reset(std::move(rows));
    list1_->setCurrentIndex(names_->index(0));
    selectRow(0);
}

void NameSelectionScreen::rebuildOrStop() {
    // After a file error the program is ending: one message is enough.
    if (stopped_) return;
    const QScopedValueRollback busy(rebuilding_, true);
    stopped_ = !RunFileAction(state_, [this] { 名簿表示(); });
}

void NameSelectionScreen::chooseOption(int option) {
    displayOption_ = option;
    rebuildOrStop();
}

void NameSelectionScreen::chooseGrade() {
    state_.session.GradeFilter = combo1_->currentText();
    rebuildOrStop();
    list1_->setFocus();
}

void NameSelectionScreen::selectRow(int row) {
    const NameListRows& rows = names_->rows();
    if (row < 1 || row > rows.keyed.size()) {
        label1_->setText(kChooseNamePrompt);
        label2_->clear();
        return;
    }
    label1_->setText(NameOfRow(rows.visible[row].left(kLabel1Characters)));
    label2_->setText(QString::number(IdOfKeyedEntry(rows.keyed[row - 1])));
}

void NameSelectionScreen::doubleClickRow(int row) {
    selectRow(row);
    if (row < 1 || row > names_->rows().keyed.size()) return;
    const QString text = names_->rows().visible[row];
    label1_->setText(NameOfRow(text.left(text.indexOf(QLatin1Char('/')))));
    confirm();
}

void NameSelectionScreen::confirm() {
    // Once the board is on its way, a second "1" or double-click does nothing.
    if (command14_->isHidden()) return;
    const int student = label2_->text().toInt();
    if (label1_->text().isEmpty() || label1_->text() == kChooseNamePrompt ||
        !IsValidStudent(student)) {
        if (const AnswerSound sound = PlayWrongSound(state_); sound.speakersGaveUp)
            endProgramWith(kSoundErrorTitle, sound.message());
        return;
    }
    Session& session = state_.session;
    session.LoginTime = state_.platform.clock->monotonicSeconds();
    session.StudentNo = student;
    session.StudentName = state_.roster.RosterName[student];
    session.StudentGrade = state_.roster.RosterGrade[student];
    command14_->hide();
    picture5_->show();
    picture5_->raise();
    LetEventsRun();
    DefineLevels(state_);
}

// Runs this machine could not record yet get one more try before the program
// ends; whoever ends it learns how many still wait here.
void NameSelectionScreen::tellRunsStillKept() {
    try {
        if (KeptRunCount(state_) == 0) return;
        MoveOutboxIntoResults(state_);
        const qint64 kept = KeptRunCount(state_);
        if (kept == 0) return;
        state_.platform.dialogs->inform(
            state_.levels.ProgramTitle,
            QStringLiteral(
                "成績ファイルに記録できなかった成績が %1 回分、このパソコンに残っています。"
                "次にこのパソコンでプログラムを起動したときに記録します。")
                .arg(kept));
    } catch (const DataFileError&) {
        // The outbox cannot be read: the next start tries it as well.
    }
}

void NameSelectionScreen::leaveForProgramMenu() {
    tellRunsStillKept();
    const QString menu = ProgramMenuPath(state_.folders.AppFolder);
    if (!state_.platform.launcher->start(menu, {kProgramMenuArgument}))
        state_.platform.dialogs->inform(
            QStringLiteral("プログラムメニュー"),
            QStringLiteral("プログラムメニューを起動できません。\n%1\n先生を呼びなさい。")
                .arg(QDir::toNativeSeparators(menu)));
    state_.platform.navigator->endProgram();
}

void NameSelectionScreen::openVersionDialog() {
    VersionDialog dialog(state_, this);
    dialog.exec();
}

bool NameSelectionScreen::handleKey(QObject* target, QKeyEvent* key) {
    if (target == list1_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Space)) {
        confirm();
        return true;
    }
    if (key->text() == QStringLiteral("1") && !command14_->isHidden()) {
        confirm();
        return true;
    }
    if (key->text() == QStringLiteral("0") && !command7_->isHidden()) {
        leaveForProgramMenu();
        return true;
    }
    return false;
}

bool NameSelectionScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && handleKey(watched, static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == label4_ && event->type() == QEvent::MouseButtonRelease) {
        openVersionDialog();
        return true;
    }
    return Screen::eventFilter(watched, event);
}

void NameSelectionScreen::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(this, event)) Screen::keyPressEvent(event);
}
