#include "screens/RecordsBrowser.h"

#include "core/Events.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "records/RecordMaintenance.h"
#include "rules/RecordRows.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const QString kCaution = QStringLiteral("注意");
const QString kFileErrorTitle = QStringLiteral("ファイルエラー");
const QString kEntrySeparator = QStringLiteral(" /  ");
// The scroll bar beside the result box covers ordinary drill times; a result
// beyond it (a time-out's 99999) stays as it is until the bar is moved.
constexpr int kScrollBarMaximum = 9999;
// Marks a Combo1 entry for a student who is not in the roster.
constexpr int kNotInRosterRole = Qt::UserRole + 1;

QFont ListFont() {
    QFont font(QStringLiteral("IPAGothic"), 12);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace

RecordsBrowser::RecordsBrowser(ProgramState& state, QWidget* parent)
    : Screen(state, parent), model_(new RecordListModel(this)), List1(new QListView(this)) {
    setObjectName(QStringLiteral("FrmData"));
    SetBackground(this, Rgb(224, 232, 240));

    Label5 = MakeLabel(this, QStringLiteral("Label5"),
                       QStringLiteral("ダブルクリックすると変更、消去できます"),
                       TwipRect(180, 120, 7200, 390));
    Label3 = MakeLabel(this, QStringLiteral("Label3"), QString(), TwipRect(7500, 120, 3000, 390));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(TwipRect(180, 540, 10320, 10800));
    List1->setFont(ListFont());
    // Every row has the same height: the view then lays out a million rows at once.
    List1->setUniformItemSizes(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setModel(model_);
    // On the press: a double-click releases the button once more, and that
    // release must not close the panel the double-click has just opened.
    connect(List1, &QListView::pressed, this, &RecordsBrowser::rowClicked);
    connect(List1, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { rowDoubleClicked(index.row()); });

    createEditPanel();

    Command4 = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"),
                          TwipRect(12480, 10260, 2520, 780));
    connect(Command4, &QPushButton::clicked, this, &RecordsBrowser::goBack);

    createWaitPanelAndCover();
}

void RecordsBrowser::createEditPanel() {
    Picture3 = new QFrame(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setGeometry(TwipRect(10680, 540, 4500, 7560));
    Picture3->setFrameShape(QFrame::Box);
    SetBackground(Picture3, Rgb(255, 255, 224));

    Label1 =
        MakeLabel(Picture3, QStringLiteral("Label1"), QString(), TwipRect(240, 180, 4020, 450));
    Label1->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    Label2_1 =
        MakeLabel(Picture3, QStringLiteral("Label2_1"), QString(), TwipRect(240, 720, 4020, 390));
    Label2_2 =
        MakeLabel(Picture3, QStringLiteral("Label2_2"), QString(), TwipRect(240, 1140, 4020, 390));

    Combo1 = new QComboBox(Picture3);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(TwipRect(240, 1680, 4020, 450));
    Combo1->setMaxVisibleItems(20);
    connect(Combo1, &QComboBox::activated, this, &RecordsBrowser::studentChosen);

    Label2_4 =
        MakeLabel(Picture3, QStringLiteral("Label2_4"), QString(), TwipRect(240, 2220, 4020, 390));

    Text1_1 = new QLineEdit(Picture3);
    Text1_1->setObjectName(QStringLiteral("Text1_1"));
    Text1_1->setGeometry(TwipRect(240, 2880, 1800, 480));
    Text1_1->setAlignment(Qt::AlignRight);
    VScroll1 = new QScrollBar(Qt::Vertical, Picture3);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(TwipRect(2100, 2760, 300, 720));
    VScroll1->setRange(0, kScrollBarMaximum);
    // The upper arrow adds a second, as a time goes up.
    VScroll1->setInvertedAppearance(true);
    VScroll1->setInvertedControls(true);
    connect(VScroll1, &QScrollBar::valueChanged, this, &RecordsBrowser::scrollBarMoved);
    Label2_3 = MakeLabel(Picture3, QStringLiteral("Label2_3"), QStringLiteral("秒"),
                         TwipRect(2520, 2925, 600, 390));

    Command2 = MakeButton(Picture3, QStringLiteral("Command2"), QStringLiteral("変更して記録"),
                          TwipRect(240, 3960, 4020, 660));
    Command3 = MakeButton(Picture3, QStringLiteral("Command3"), QStringLiteral("消去"),
                          TwipRect(240, 4860, 4020, 660));
    Command6 = MakeButton(Picture3, QStringLiteral("Command6"), QStringLiteral("キャンセル"),
                          TwipRect(240, 5760, 4020, 660));
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    connect(Command2, &QPushButton::clicked, this, &RecordsBrowser::saveChange);
    connect(Command3, &QPushButton::clicked, this, &RecordsBrowser::deleteRecord);
    // キャンセル does nothing: clicking a row of the list closes the panel.
    Picture3->hide();
}

void RecordsBrowser::createWaitPanelAndCover() {
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(0, 0, kWindowWidth, kWindowHeight);
    SetBackground(Picture1, Rgb(224, 232, 240));
    Picture1->hide();

    Picture6 = new QFrame(this);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    Picture6->setFrameShape(QFrame::Box);
    Picture6->setGeometry((kWindowWidth - 400) / 2, (kWindowHeight - 120) / 2, 400, 120);
    SetBackground(Picture6, Rgb(255, 255, 192));
    auto* line = MakeLabel(Picture6, QStringLiteral("Label6"),
                           QStringLiteral("Just a moment,please."), QRect(0, 0, 400, 120));
    line->setAlignment(Qt::AlignCenter);
    line->setStyleSheet(QStringLiteral("font-size: 20pt;"));
    Picture6->hide();
}

void RecordsBrowser::load() {
    show();
    rebuildWithWaitPanel();
}

QString RecordsBrowser::resultsPath() const {
    return ResultsFilePath(state_);
}

void RecordsBrowser::buildList() {
    BrowserRoster roster;
    ReadPatiently(state_, [&] { ReadBrowserRoster(state_, roster); });
    const QString path = resultsPath();
    QByteArray bytes = ReadPatientlyValue(state_, [&] { return ReadWholeResultsFile(path); });
    Label3->setText(RecordCountText(bytes.size()));
    {
        const QSignalBlocker quiet(Combo1);
        Combo1->clear();
        for (const int16_t id : roster.Ids)
            Combo1->addItem(QString::number(id) + kEntrySeparator + roster.Name[size_t(id)],
                            int(id));
    }
    model_->reset(std::move(bytes), std::move(roster), state_.common.ClassroomCode,
                  state_.common.ClassroomName);
}

bool RecordsBrowser::rebuildWithWaitPanel() {
    ++busy_;
    Picture6->show();
    Picture6->raise();
    LetEventsRun();
    const bool built = RunFileAction(state_, [this] { buildList(); });
    Picture6->hide();
    --busy_;
    return built;
}

void RecordsBrowser::rowClicked() {
    closePanel();
}

void RecordsBrowser::closePanel() {
    Picture3->hide();
    panelRecord_ = 0;
    panelBytes_.clear();
    Command2->setEnabled(false);
    Command3->setEnabled(false);
}

void RecordsBrowser::rowDoubleClicked(int row) {
    if (busy_ || row < 0 || row >= model_->rowCount()) return;
    const qint64 number = model_->recordNumber(row);
    std::optional<QByteArray> bytes;
    const QString path = resultsPath();
    if (!RunFileAction(state_, [&] {
            bytes = ReadPatientlyValue(state_, [&] { return ReadRecordBytes(path, number); });
        }))
        return;
    // The row must still show what is on disk, or the teacher would edit
    // a record other than the one they chose.
    if (!bytes || *bytes != model_->recordBytes(number)) {
        tellRecordChanged();
        return;
    }
    fillPanel(number, *bytes);
}

void RecordsBrowser::fillPanel(qint64 number, const QByteArray& bytes) {
    panelRecord_ = number;
    panelBytes_ = bytes;
    const ResultRecord record = DecodeRecord(bytes.constData());
    const BrowserRoster& roster = model_->roster();
    const bool inRoster = record.student >= 0 && record.student <= kMaxStudent;
    const QString name = inRoster ? roster.Name[size_t(record.student)] : QString();

    Label1->setText(QString::number(number));
    Command2->setEnabled(true);
    Command3->setEnabled(true);
    Label2_1->setText(QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level));
    Label2_2->setText(RecordDateText(record.date));
    Label2_4->setText(inRoster ? roster.Grade[size_t(record.student)].trimmed() : QString());
    Text1_1->setText(QString::number(record.result));
    {
        const QSignalBlocker quiet(VScroll1);
        VScroll1->setValue(std::clamp<int>(record.result, 0, kScrollBarMaximum));
    }

    const QSignalBlocker quiet(Combo1);
    for (int i = Combo1->count() - 1; i >= 0; --i)
        if (Combo1->itemData(i, kNotInRosterRole).toBool()) Combo1->removeItem(i);
    int entry = Combo1->findData(int(record.student));
    if (entry < 0) {
        Combo1->insertItem(0, QString::number(record.student) + kEntrySeparator + name,
                           int(record.student));
        Combo1->setItemData(0, true, kNotInRosterRole);
        entry = 0;
    }
    Combo1->setCurrentIndex(entry);
    Picture3->show();
    Picture3->raise();
}

void RecordsBrowser::studentChosen() {
    const int student = Combo1->currentData().toInt();
    const bool inRoster = student >= 0 && student <= kMaxStudent;
    Label2_4->setText(inRoster ? model_->roster().Grade[size_t(student)].trimmed() : QString());
}

void RecordsBrowser::scrollBarMoved(int value) {
    Text1_1->setText(QString::number(value));
}

void RecordsBrowser::saveChange() {
    if (busy_ || panelRecord_ == 0) return;
    Dialogs& dialogs = *state_.platform.dialogs;
    const std::optional<int> result = ParseResultText(Text1_1->text());
    if (!result) {
        dialogs.inform(kCaution,
                       QStringLiteral("秒数は 0 から 99999 までの数で入力してください。"));
        Text1_1->setFocus();
        return;
    }
    if (Combo1->currentIndex() < 0) {
        dialogs.inform(kCaution, QStringLiteral("生徒を選んでください。"));
        return;
    }
    const QByteArray edited =
        WithStudentAndResult(panelBytes_, Combo1->currentData().toInt(), *result);
    const qint64 number = panelRecord_;
    MaintenanceOutcome outcome;
    try {
        outcome = ChangeRecord(resultsPath(), number, panelBytes_, edited);
    } catch (const DataFileError& error) {
        tellFileError(error.message());
        return;
    }
    if (outcome == MaintenanceOutcome::RecordChanged) {
        tellRecordChanged();
        return;
    }
    if (!rebuildWithWaitPanel()) return;
    fillPanel(number, edited);
    selectRow(model_->rowOfRecord(number));
}

void RecordsBrowser::deleteRecord() {
    if (busy_ || panelRecord_ == 0) return;
    if (!state_.platform.dialogs->askOkCancel(kCaution, QStringLiteral("本当に消去しますか")))
        return;
    const qint64 number = panelRecord_;
    const QByteArray expected = panelBytes_;
    closePanel();
    ++busy_;
    Picture6->show();
    Picture6->raise();
    LetEventsRun();
    MaintenanceOutcome outcome = MaintenanceOutcome::Done;
    QString failure;
    try {
        outcome = DeleteRecord(state_.folders.DataFolder, number, expected);
    } catch (const DataFileError& error) {
        failure = error.message();
    }
    Picture6->hide();
    --busy_;
    if (!failure.isEmpty()) {
        tellFileError(failure);
        return;
    }
    if (outcome == MaintenanceOutcome::RecordChanged) {
        tellRecordChanged();
        return;
    }
    if (!rebuildWithWaitPanel()) return;
    // The record that followed now has the deleted one's number.
    const int row = model_->rowAtOrAfter(number);
    selectRow(row >= 0 ? row : model_->rowCount() - 1);
}

void RecordsBrowser::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex index = model_->index(row);
    List1->setCurrentIndex(index);
    List1->scrollTo(index);
}

void RecordsBrowser::tellRecordChanged() {
    state_.platform.dialogs->inform(
        kCaution, QStringLiteral("この記録は、ほかのコンピュータで変更または消去されています。"
                                 "一覧を作り直しますので、もう一度選んでください。"));
    closePanel();
    rebuildWithWaitPanel();
}

void RecordsBrowser::tellFileError(const QString& message) {
    state_.platform.dialogs->inform(kFileErrorTitle, message);
    closePanel();
    rebuildWithWaitPanel();
}

void RecordsBrowser::goBack() {
    if (busy_) return;
    Picture1->show();
    Picture1->raise();
    state_.platform.navigator->showBoard();
    if (auto* host = qobject_cast<ScreenHost*>(parentWidget())) host->closeScreen(this);
}
