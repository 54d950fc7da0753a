#include "screens/CriteriaEditor.h"

#include "core/Events.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "records/Criteria.h"
#include "records/Distribution.h"
#include "records/ResultsFile.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>

namespace {

const QString kCaution = QStringLiteral("注意");
const QString kFileErrorTitle = QStringLiteral("ファイルエラー");
// The text box's caret stands after this many characters, at the end of any
// ordinary value, so that a typed digit is appended.
constexpr int kCaretPosition = 10;
// The grid shows this many rows, the caption row included; the levels beyond scroll.
constexpr int kVisibleGridRows = 33;
constexpr int kGridRowHeight = 18;
// The nine criteria columns are wide enough for their captions; the three
// spare columns, which nothing uses, are narrow.
constexpr int kGridColumnWidth = 56;
constexpr int kSpareColumnWidth = 32;
constexpr int kFirstSpareColumn = 10;

QListWidget* MakeList(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    QFont font(QStringLiteral("IPAGothic"), 10);
    font.setStyleHint(QFont::Monospace);
    list->setFont(font);
    list->setFocusPolicy(Qt::NoFocus);
    list->setUniformItemSizes(true);
    return list;
}

// Keys whose character the text box still types after the key is handled:
// printable characters, backspace and a paste.
bool TypesIntoTheBox(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace || key.matches(QKeySequence::Paste)) return true;
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint() && !(key.modifiers() & Qt::ControlModifier);
}

} // namespace

CriteriaEditor::CriteriaEditor(ProgramState& state, QWidget* parent) : Screen(state, parent) {
    setObjectName(QStringLiteral("FrmTimeData"));
    SetBackground(this, Rgb(224, 240, 224));

    label5_ = MakeLabel(this, QStringLiteral("Label5"),
                        QStringLiteral("成績の基準となるデータを変更できます"),
                        TwipRect(150, 90, 9900, 480));
    label5_->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    label2_ = MakeLabel(this, QStringLiteral("Label2"), QString(), TwipRect(150, 600, 6600, 660));
    label1_ = MakeLabel(this, QStringLiteral("Label1"),
                        QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"),
                        TwipRect(4500, 900, 5700, 360));
    label1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    createGrid();

    label6_ = MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("列の説明"),
                        TwipRect(150, 10665, 1200, 330));
    label6_->setStyleSheet(QStringLiteral("font-weight: bold;"));
    label3_ =
        MakeLabel(this, QStringLiteral("Label3"), QString(), TwipRect(1350, 10620, 8850, 840));
    label3_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label3_->setFrameShape(QFrame::Box);
    SetBackground(label3_, Rgb(255, 255, 255));
    label3_->setAutoFillBackground(true);

    option1_0_ = new QRadioButton(QStringLiteral("度数非表示"), this);
    option1_0_->setObjectName(QStringLiteral("Option1_0"));
    option1_0_->setGeometry(TwipRect(10440, 150, 2100, 360));
    option1_1_ = new QRadioButton(QStringLiteral("度数表示"), this);
    option1_1_->setObjectName(QStringLiteral("Option1_1"));
    option1_1_->setGeometry(TwipRect(12840, 150, 2100, 360));
    option1_1_->setChecked(true);
    for (QRadioButton* option : {option1_0_, option1_1_})
        option->setFocusPolicy(Qt::NoFocus);
    auto* options = new QButtonGroup(this);
    options->addButton(option1_0_, 0);
    options->addButton(option1_1_, 1);
    connect(options, &QButtonGroup::idClicked, this, &CriteriaEditor::optionChosen);

    createDistributionPanel();

    command2_ = MakeButton(this, QStringLiteral("Command2"), QStringLiteral("元に戻す"),
                           TwipRect(10440, 10200, 1530, 720));
    command3_ = MakeButton(this, QStringLiteral("Command3"), QStringLiteral("更新記録"),
                           TwipRect(12090, 10200, 1530, 720));
    command4_ = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"),
                           TwipRect(13740, 10200, 1470, 720));
    // Typing stays in the text box over the grid.
    for (QPushButton* button : {command2_, command3_, command4_})
        button->setFocusPolicy(Qt::NoFocus);
    connect(command2_, &QPushButton::clicked, this, [this] {
        // The cursor stays where it was when that level is still there.
        if (!busy_) reloadGrid(grid_.row(), grid_.column());
    });
    connect(command3_, &QPushButton::clicked, this, [this] {
        if (!busy_) save();
    });
    connect(command4_, &QPushButton::clicked, this, &CriteriaEditor::goBack);

    createWaitPanel();
}

void CriteriaEditor::createGrid() {
    // The caption row and the level column are the table's headers, so they
    // stay in place while the levels scroll under them.
    msFlexGrid1_ = new QTableWidget(this);
    msFlexGrid1_->setObjectName(QStringLiteral("MSFlexGrid1"));
    msFlexGrid1_->setColumnCount(CriteriaGrid::kLastColumn);
    msFlexGrid1_->setHorizontalHeaderLabels(CriteriaGrid::Captions().mid(1));
    QHeaderView* captions = msFlexGrid1_->horizontalHeader();
    captions->setSectionResizeMode(QHeaderView::Fixed);
    captions->setMinimumSectionSize(kSpareColumnWidth);
    captions->setFixedHeight(kGridRowHeight);
    captions->setHighlightSections(false);
    captions->setSectionsClickable(false);
    QHeaderView* levels = msFlexGrid1_->verticalHeader();
    levels->setSectionResizeMode(QHeaderView::Fixed);
    levels->setDefaultSectionSize(kGridRowHeight);
    levels->setMinimumSectionSize(kGridRowHeight);
    levels->setDefaultAlignment(Qt::AlignCenter);
    levels->setFixedWidth(kGridColumnWidth);
    levels->setHighlightSections(false);
    levels->setSectionsClickable(false);
    for (int c = 1; c <= CriteriaGrid::kLastColumn; ++c)
        msFlexGrid1_->setColumnWidth(c - 1,
                                     c < kFirstSpareColumn ? kGridColumnWidth : kSpareColumnWidth);
    msFlexGrid1_->setWordWrap(false);
    msFlexGrid1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    msFlexGrid1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The grid is never edited itself: typing goes to the text box over it.
    msFlexGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msFlexGrid1_->setSelectionMode(QAbstractItemView::NoSelection);
    msFlexGrid1_->setFocusPolicy(Qt::NoFocus);
    msFlexGrid1_->setCornerButtonEnabled(false);
    msFlexGrid1_->setStyleSheet(
        QStringLiteral("QTableWidget { gridline-color: #808080; font-size: 9pt; }"
                       "QHeaderView::section { background-color: rgb(212, 208, 200);"
                       " border: 0px; border-right: 1px solid #808080;"
                       " border-bottom: 1px solid #808080; font-size: 8pt; }"));
    // The corner holds the level column's caption.
    auto* corner = new QLabel(CriteriaGrid::Captions().first(), msFlexGrid1_);
    corner->setObjectName(QStringLiteral("MSFlexGrid1Corner"));
    corner->setAlignment(Qt::AlignCenter);
    corner->setStyleSheet(
        QStringLiteral("background-color: rgb(212, 208, 200); font-size: 8pt;"
                       " border-right: 1px solid #808080; border-bottom: 1px solid #808080;"));
    const int frame = msFlexGrid1_->frameWidth();
    corner->setGeometry(frame, frame, kGridColumnWidth, kGridRowHeight);
    const int height = kVisibleGridRows * kGridRowHeight + 2 * frame;
    msFlexGrid1_->setGeometry(Px(150), Px(1320), gridWidth(false), height);
    connect(msFlexGrid1_, &QTableWidget::cellClicked, this,
            [this](int row, int column) { cellClicked(row + 1, column + 1); });

    gridinputtext_ = new QLineEdit(this);
    gridinputtext_->setObjectName(QStringLiteral("Gridinputtext"));
    gridinputtext_->setFrame(false);
    gridinputtext_->setStyleSheet(
        QStringLiteral("QLineEdit { border: 2px solid #000080; font-size: 9pt; }"));
    gridinputtext_->installEventFilter(this);
    connect(gridinputtext_, &QLineEdit::textChanged, this, &CriteriaEditor::TextToGrid転送);
}

void CriteriaEditor::createDistributionPanel() {
    picture3_ = new QFrame(this);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setGeometry(TwipRect(10440, 600, 4770, 9420));
    picture3_->setFrameShape(QFrame::Box);
    SetBackground(picture3_, Rgb(255, 255, 224));
    label7_ = MakeLabel(picture3_, QStringLiteral("Label7"),
                        QStringLiteral("現在までの成績度数分布"), TwipRect(120, 60, 4500, 390));
    label7_->setStyleSheet(QStringLiteral("font-weight: bold;"));
    label9_ = MakeLabel(picture3_, QStringLiteral("Label9"), QStringLiteral("全成績"),
                        TwipRect(120, 480, 4500, 330));
    list3_ = MakeList(picture3_, QStringLiteral("List3"), TwipRect(120, 810, 4530, 4080));
    label10_ = MakeLabel(picture3_, QStringLiteral("Label10"), QStringLiteral("最高タイム"),
                         TwipRect(120, 4980, 4500, 330));
    list4_ = MakeList(picture3_, QStringLiteral("List4"), TwipRect(120, 5310, 4530, 3990));
}

void CriteriaEditor::createWaitPanel() {
    picture6_ = new QFrame(this);
    picture6_->setObjectName(QStringLiteral("Picture6"));
    SetBackground(picture6_, Rgb(255, 255, 192));
    auto* line = new QLabel(QStringLiteral("Just a moment,please."), picture6_);
    line->setObjectName(QStringLiteral("Label4"));
    line->setAlignment(Qt::AlignCenter);
    line->setStyleSheet(QStringLiteral("font-size: 24pt;"));
    line->setGeometry(0, 0, kWindowWidth, kWindowHeight);
    picture6_->hide();
}

void CriteriaEditor::load() {
    label2_->setText(QStringLiteral("成績の基準となるデータを変更できます。") + QLatin1Char('\n') +
                     QStringLiteral("プログラムを選んでください。"));
    picture6_->setGeometry(0, 0, kWindowWidth, kWindowHeight);
}

void CriteriaEditor::activate() {
    show();
    reloadGrid(1, 1);
}

std::vector<QStringList> CriteriaEditor::readRows() {
    return ReadPatientlyValue(
        state_, [path = CriteriaFilePath(state_)] { return ReadCriteriaFile(path); },
        ReadSettingsPatiently);
}

void CriteriaEditor::reloadGrid(int row, int column) {
    try {
        grid_.load(readRows());
    } catch (const ShownFileError&) {
        state_.platform.navigator->endProgram(); // the user stopped waiting
        return;
    } catch (const DataFileError& error) {
        endProgramWith(kFileErrorTitle, error.message());
        return;
    }
    // The style sheet's fonts size the header sections anew when the grid is
    // first polished: the rows keep their own height.
    msFlexGrid1_->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    msFlexGrid1_->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    msFlexGrid1_->setRowCount(grid_.levelRows());
    msFlexGrid1_->resize(gridWidth(grid_.levelRows() > kVisibleGridRows - 1),
                         msFlexGrid1_->height());
    grid_.moveTo(row, column);
    showCells();
    columnHelp();
    GridToText転送();
    showDistribution();
}

// The whole width shows, with the scroll bar beside the last column, not over it.
int CriteriaEditor::gridWidth(bool scrolls) const {
    int width = 2 * msFlexGrid1_->frameWidth() + kGridColumnWidth;
    for (int c = 0; c < msFlexGrid1_->columnCount(); ++c)
        width += msFlexGrid1_->columnWidth(c);
    if (scrolls)
        width +=
            msFlexGrid1_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, msFlexGrid1_);
    return width;
}

QTableWidgetItem* CriteriaEditor::cellItem(int row, int column) const {
    return msFlexGrid1_->item(row - 1, column - 1);
}

void CriteriaEditor::showCells() {
    const int levels = grid_.levelRows();
    QStringList levelNumbers;
    for (int r = 1; r <= levels; ++r)
        levelNumbers << grid_.cell(r, 0);
    msFlexGrid1_->setVerticalHeaderLabels(levelNumbers);
    for (int r = 1; r <= levels; ++r) {
        for (int c = 1; c <= CriteriaGrid::kLastColumn; ++c) {
            QTableWidgetItem* item = cellItem(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                msFlexGrid1_->setItem(r - 1, c - 1, item);
            }
            item->setText(grid_.cell(r, c));
            item->setBackground(grid_.isChangeColoured(r, c) ? Rgb(255, 255, 0)
                                                             : Rgb(255, 255, 255));
        }
    }
}

void CriteriaEditor::TextToGrid転送() {
    if (gridinputtext_->text() == grid_.currentText()) return;
    grid_.setCurrentText(gridinputtext_->text());
    showCells();
}

void CriteriaEditor::GridToText転送() {
    gridinputtext_->setText(grid_.currentText());
    gridinputtext_->setCursorPosition(kCaretPosition);
}

void CriteriaEditor::columnHelp() {
    QTableWidgetItem* item = cellItem(grid_.row(), grid_.column());
    msFlexGrid1_->scrollToItem(item);
    const QRect cell = msFlexGrid1_->visualItemRect(item);
    const QPoint topLeft = msFlexGrid1_->viewport()->mapTo(this, cell.topLeft());
    gridinputtext_->setGeometry(QRect(topLeft, cell.size()));
    gridinputtext_->show();
    gridinputtext_->raise();
    gridinputtext_->setFocus();
    gridinputtext_->setCursorPosition(kCaretPosition);
    label3_->setText(CriteriaGrid::Explanation(grid_.column()));
}

void CriteriaEditor::showDistribution() {
    if (picture3_->isHidden()) return;
    list3_->clear();
    list4_->clear();
    RunFileAction(state_, [&] {
        const Distribution distribution = ReadDistribution(state_, grid_.row());
        list3_->addItems(AllRunsRows(distribution));
        list4_->addItems(BestRunsRows(distribution));
    });
}

bool CriteriaEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridinputtext_ && event->type() == QEvent::KeyPress)
        return !keyPressed(*static_cast<QKeyEvent*>(event));
    return Screen::eventFilter(watched, event);
}

bool CriteriaEditor::keyPressed(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape || busy_) return false;
    bool moved = false;
    switch (key.key()) {
    case Qt::Key_Up:
        moved = grid_.moveUp();
        break;
    case Qt::Key_Down:
        if (key.modifiers() & Qt::ShiftModifier) {
            grid_.copyDown(gridinputtext_->text());
            showCells();
        } else {
            moved = grid_.moveDown();
        }
        break;
    case Qt::Key_Left:
        moved = grid_.moveLeft();
        break;
    case Qt::Key_Right:
        moved = grid_.moveRight();
        break;
    default:
        break;
    }
    if (moved) columnHelp();
    showDistribution();
    GridToText転送();
    if (key.key() == Qt::Key_Space) {
        // A space empties the cell instead of being typed.
        gridinputtext_->clear();
        return false;
    }
    return TypesIntoTheBox(key);
}

void CriteriaEditor::cellClicked(int row, int column) {
    if (busy_ || !grid_.moveTo(row, column)) return;
    columnHelp();
    showDistribution();
    GridToText転送();
}

void CriteriaEditor::showWaitPanel() {
    picture6_->show();
    picture6_->raise();
    LetEventsRun();
}

bool CriteriaEditor::save() {
    if (const auto refusal = grid_.unsavableCell()) {
        state_.platform.dialogs->inform(kCaution, refusal->message);
        grid_.moveTo(refusal->row, refusal->column);
        columnHelp();
        GridToText転送();
        showDistribution();
        return false;
    }
    ++busy_;
    showWaitPanel();
    bool saved = false;
    try {
        saved = WritePatiently(state_, QStringLiteral("記録をやめます"),
                               [path = CriteriaFilePath(state_), rows = grid_.fileRows()] {
                                   SaveCriteriaFile(path, rows);
                               });
        if (saved) {
            grid_.markSaved();
            // The running program judges by the new values at once.
            TakeCriteriaRows(state_, readRows());
        }
    } catch (const ShownFileError&) {
        saved = false; // the program is ending: nothing more on this screen
        state_.platform.navigator->endProgram();
    } catch (const DataFileError& error) {
        state_.platform.dialogs->inform(kFileErrorTitle, error.message());
    }
    showCells();
    picture6_->hide();
    --busy_;
    gridinputtext_->setFocus();
    return saved;
}

void CriteriaEditor::goBack() {
    if (busy_) return;
    if (grid_.changed() &&
        state_.platform.dialogs->askYesNo(
            kCaution, QStringLiteral("データが変更されています。記録しますか？")) &&
        !save())
        return;
    showWaitPanel();
    state_.platform.navigator->showBoard();
    if (auto* host = qobject_cast<ScreenHost*>(parentWidget())) host->closeScreen(this);
}

void CriteriaEditor::optionChosen(int index) {
    picture3_->setVisible(index == 1);
    showDistribution();
    gridinputtext_->setFocus();
}
