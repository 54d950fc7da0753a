#include "screens/RecordsBrowser.h"

#include "core/Events.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "records/RecordMaintenance.h"
#include "records/ResultsFile.h"
#include "rules/RecordRows.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
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
// Marks a combo1_ entry for a student who is not in the roster.
constexpr int kNotInRosterRole = Qt::UserRole + 1;

QFont ListFont() {
    QFont font(QStringLiteral("IPAGothic"), 12);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

// The student list is chosen from by typing the ID; digits typed with the
// Japanese input method on reach it as their ASCII forms, as the list shows them.
class HalfWidthTyping : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString half = HalfWidthNumber(key->text());
        if (half == key->text()) return false;
        QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), half);
        QCoreApplication::sendEvent(target, &typed);
        return true;
    }
};

} // namespace

RecordsBrowser::RecordsBrowser(ProgramState& state, QWidget* parent)
    : Screen(state, parent), model_(new RecordListModel(this)), list1_(new QListView(this)) {
    setObjectName(QStringLiteral("FrmData"));
    SetBackground(this, Rgb(224, 232, 240));

    label5_ = MakeLabel(this, QStringLiteral("Label5"),
                        QStringLiteral("ダブルクリックすると変更、消去できます"),
                        TwipRect(180, 120, 7200, 390));
    label3_ = MakeLabel(this, QStringLiteral("Label3"), QString(), TwipRect(7500, 120, 3000, 390));
    label3_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(TwipRect(180, 540, 10320, 10800));
    list1_->setFont(ListFont());
    // Every row has the same height: the view then lays out a million rows at once.
    list1_->setUniformItemSizes(true);
    list1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setModel(model_);
    // On the press: a double-click releases the button once more, and that
    // release must not close the panel the double-click has just opened.
    connect(list1_, &QListView::pressed, this, &RecordsBrowser::rowClicked);
    connect(list1_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { rowDoubleClicked(index.row()); });

    createEditPanel();

    command4_ = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"),
                           TwipRect(12480, 10260, 2520, 780));
    connect(command4_, &QPushButton::clicked, this, &RecordsBrowser::goBack);

    createWaitPanelAndCover();
}

void RecordsBrowser::createEditPanel() {
    picture3_ = new QFrame(this);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setGeometry(TwipRect(10680, 540, 4500, 7560));
    picture3_->setFrameShape(QFrame::Box);
    SetBackground(picture3_, Rgb(255, 255, 224));

    label1_ =
        MakeLabel(picture3_, QStringLiteral("Label1"), QString(), TwipRect(240, 180, 4020, 450));
    label1_->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    label2_1_ =
        MakeLabel(picture3_, QStringLiteral("Label2_1"), QString(), TwipRect(240, 720, 4020, 390));
    label2_2_ =
        MakeLabel(picture3_, QStringLiteral("Label2_2"), QString(), TwipRect(240, 1140, 4020, 390));

    combo1_ = new QComboBox(picture3_);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(TwipRect(240, 1680, 4020, 450));
    combo1_->setMaxVisibleItems(20);
    combo1_->installEventFilter(new HalfWidthTyping(combo1_));
    connect(combo1_, &QComboBox::activated, this, &RecordsBrowser::studentChosen);

    label2_4_ =
        MakeLabel(picture3_, QStringLiteral("Label2_4"), QString(), TwipRect(240, 2220, 4020, 390));

    text1_1_ = new QLineEdit(picture3_);
    text1_1_->setObjectName(QStringLiteral("Text1_1"));
    text1_1_->setGeometry(TwipRect(240, 2880, 1800, 480));
    text1_1_->setAlignment(Qt::AlignRight);
    vScroll1_ = new QScrollBar(Qt::Vertical, picture3_);
    vScroll1_->setObjectName(QStringLiteral("VScroll1"));
    vScroll1_->setGeometry(TwipRect(2100, 2760, 300, 720));
    vScroll1_->setRange(0, kScrollBarMaximum);
    // The upper arrow adds a second, as a time goes up.
    vScroll1_->setInvertedAppearance(true);
    vScroll1_->setInvertedControls(true);
    connect(vScroll1_, &QScrollBar::valueChanged, this, &RecordsBrowser::scrollBarMoved);
    label2_3_ = MakeLabel(picture3_, QStringLiteral("Label2_3"), QStringLiteral("秒"),
                          TwipRect(2520, 2925, 600, 390));

    command2_ = MakeButton(picture3_, QStringLiteral("Command2"), QStringLiteral("変更して記録"),
                           TwipRect(240, 3960, 4020, 660));
    command3_ = MakeButton(picture3_, QStringLiteral("Command3"), QStringLiteral("消去"),
                           TwipRect(240, 4860, 4020, 660));
    command6_ = MakeButton(picture3_, QStringLiteral("Command6"), QStringLiteral("キャンセル"),
                           TwipRect(240, 5760, 4020, 660));
    command2_->setEnabled(false);
    command3_->setEnabled(false);
    connect(command2_, &QPushButton::clicked, this, &RecordsBrowser::saveChange);
    connect(command3_, &QPushButton::clicked, this, &RecordsBrowser::deleteRecord);
    // キャンセル does nothing: clicking a row of the list closes the panel.
    picture3_->hide();
}

void RecordsBrowser::createWaitPanelAndCover() {
    picture1_ = new QFrame(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(0, 0, kWindowWidth, kWindowHeight);
    SetBackground(picture1_, Rgb(224, 232, 240));
    picture1_->hide();

    picture6_ = new QFrame(this);
    picture6_->setObjectName(QStringLiteral("Picture6"));
    picture6_->setFrameShape(QFrame::Box);
    picture6_->setGeometry((kWindowWidth - 400) / 2, (kWindowHeight - 120) / 2, 400, 120);
    SetBackground(picture6_, Rgb(255, 255, 192));
    auto* line = MakeLabel(picture6_, QStringLiteral("Label6"),
                           QStringLiteral("Just a moment,please."), QRect(0, 0, 400, 120));
    line->setAlignment(Qt::AlignCenter);
    line->setStyleSheet(QStringLiteral("font-size: 20pt;"));
    picture6_->hide();
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
    ReadBrowserRoster(state_, roster);
    QByteArray bytes =
        ReadPatientlyValue(state_, [path = resultsPath()] { return ReadWholeResultsFile(path); });
    label3_->setText(RecordCountText(bytes.size()));
    {
        const QSignalBlocker quiet(combo1_);
        combo1_->clear();
        for (const int16_t id : roster.Ids)
            combo1_->addItem(QString::number(id) + kEntrySeparator + roster.Name[size_t(id)],
                             int(id));
    }
    model_->reset(std::move(bytes), std::move(roster), state_.common.ClassroomCode,
                  state_.common.ClassroomName);
}

bool RecordsBrowser::rebuildWithWaitPanel() {
    ++busy_;
    picture6_->show();
    picture6_->raise();
    LetEventsRun();
    const bool built = RunFileAction(state_, [this] { buildList(); });
    picture6_->hide();
    --busy_;
    return built;
}

void RecordsBrowser::rowClicked() {
    closePanel();
}

void RecordsBrowser::closePanel() {
    picture3_->hide();
    panelRecord_ = 0;
    panelBytes_.clear();
    command2_->setEnabled(false);
    command3_->setEnabled(false);
}

void RecordsBrowser::rowDoubleClicked(int row) {
    if (busy_ || row < 0 || row >= model_->rowCount()) return;
    const qint64 number = model_->recordNumber(row);
    std::optional<QByteArray> bytes;
    if (!RunFileAction(state_, [&] {
            bytes = ReadPatientlyValue(
                state_, [path = resultsPath(), number] { return ReadRecordBytes(path, number); });
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

    label1_->setText(QString::number(number));
    command2_->setEnabled(true);
    command3_->setEnabled(true);
    label2_1_->setText(QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level));
    label2_2_->setText(RecordDateText(record.date));
    label2_4_->setText(inRoster ? roster.Grade[size_t(record.student)].trimmed() : QString());
    text1_1_->setText(QString::number(record.result));
    {
        const QSignalBlocker quiet(vScroll1_);
        vScroll1_->setValue(std::clamp<int>(record.result, 0, kScrollBarMaximum));
    }

    const QSignalBlocker quiet(combo1_);
    for (int i = combo1_->count() - 1; i >= 0; --i)
        if (combo1_->itemData(i, kNotInRosterRole).toBool()) combo1_->removeItem(i);
    int entry = combo1_->findData(int(record.student));
    if (entry < 0) {
        combo1_->insertItem(0, QString::number(record.student) + kEntrySeparator + name,
                            int(record.student));
        combo1_->setItemData(0, true, kNotInRosterRole);
        entry = 0;
    }
    combo1_->setCurrentIndex(entry);
    picture3_->show();
    picture3_->raise();
}

void RecordsBrowser::studentChosen() {
    const int student = combo1_->currentData().toInt();
    const bool inRoster = student >= 0 && student <= kMaxStudent;
    label2_4_->setText(inRoster ? model_->roster().Grade[size_t(student)].trimmed() : QString());
}

void RecordsBrowser::scrollBarMoved(int value) {
    text1_1_->setText(QString::number(value));
}

void RecordsBrowser::saveChange() {
    if (busy_ || panelRecord_ == 0) return;
    Dialogs& dialogs = *state_.platform.dialogs;
    const std::optional<int> result = ParseResultText(text1_1_->text());
    if (!result) {
        dialogs.inform(kCaution,
                       QStringLiteral("秒数は 0 から 99999 までの数で入力してください。"));
        text1_1_->setFocus();
        return;
    }
    if (combo1_->currentIndex() < 0) {
        dialogs.inform(kCaution, QStringLiteral("生徒を選んでください。"));
        return;
    }
    const QByteArray edited =
        WithStudentAndResult(panelBytes_, combo1_->currentData().toInt(), *result);
    const qint64 number = panelRecord_;
    const QByteArray expected = panelBytes_;
    const std::optional<MaintenanceOutcome> outcome =
        writeUnderWaitPanel([path = resultsPath(), number, expected, edited](QString& setAside) {
            return ChangeRecord(path, number, expected, edited, &setAside);
        });
    if (!outcome) return;
    if (*outcome == MaintenanceOutcome::RecordChanged) {
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
    const std::optional<MaintenanceOutcome> outcome = writeUnderWaitPanel(
        [folder = state_.folders.DataFolder, number, expected](QString& setAside) {
            return DeleteRecord(folder, number, expected, &setAside);
        });
    if (!outcome) return;
    if (*outcome == MaintenanceOutcome::RecordChanged) {
        tellRecordChanged();
        return;
    }
    if (!rebuildWithWaitPanel()) return;
    // The record that followed now has the deleted one's number.
    const int row = model_->rowAtOrAfter(number);
    selectRow(row >= 0 ? row : model_->rowCount() - 1);
}

namespace {
// What a change or deletion left, owned by its try.
struct MaintenanceResult {
    MaintenanceOutcome outcome = MaintenanceOutcome::Done;
    QString setAside;
};
} // namespace

std::optional<MaintenanceOutcome>
RecordsBrowser::writeUnderWaitPanel(std::function<MaintenanceOutcome(QString&)> write) {
    ++busy_;
    picture6_->show();
    picture6_->raise();
    LetEventsRun();
    const auto result = std::make_shared<MaintenanceResult>();
    bool written = false;
    QString failure;
    try {
        written = WritePatiently(state_, QStringLiteral("変更をやめます"),
                                 [result, write] { result->outcome = write(result->setAside); });
    } catch (const DataFileError& error) {
        failure = error.message();
    }
    picture6_->hide();
    --busy_;
    // Cancelled, the try may still run: what it leaves is no longer looked at.
    if (!written && failure.isEmpty()) return std::nullopt;
    TellSetAsideNotice(state_, result->setAside);
    if (!failure.isEmpty()) {
        tellFileError(failure);
        return std::nullopt;
    }
    return result->outcome;
}

void RecordsBrowser::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex index = model_->index(row);
    list1_->setCurrentIndex(index);
    list1_->scrollTo(index);
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
    picture1_->show();
    picture1_->raise();
    state_.platform.navigator->showBoard();
    if (auto* host = qobject_cast<ScreenHost*>(parentWidget())) host->closeScreen(this);
}
