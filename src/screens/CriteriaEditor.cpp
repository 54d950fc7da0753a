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

    Label5 = MakeLabel(this, QStringLiteral("Label5"),
                       QStringLiteral("成績の基準となるデータを変更できます"),
                       TwipRect(150, 90, 9900, 480));
    Label5->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    Label2 = MakeLabel(this, QStringLiteral("Label2"), QString(), TwipRect(150, 600, 6600, 660));
    Label1 = MakeLabel(this, QStringLiteral("Label1"),
                       QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"),
                       TwipRect(4500, 900, 5700, 360));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    createGrid();

    Label6 = MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("列の説明"),
                       TwipRect(150, 10665, 1200, 330));
    Label6->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Label3 = MakeLabel(this, QStringLiteral("Label3"), QString(), TwipRect(1350, 10620, 8850, 840));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setFrameShape(QFrame::Box);
    SetBackground(Label3, Rgb(255, 255, 255));
    Label3->setAutoFillBackground(true);

    Option1_0 = new QRadioButton(QStringLiteral("度数非表示"), this);
    Option1_0->setObjectName(QStringLiteral("Option1_0"));
    Option1_0->setGeometry(TwipRect(10440, 150, 2100, 360));
    Option1_1 = new QRadioButton(QStringLiteral("度数表示"), this);
    Option1_1->setObjectName(QStringLiteral("Option1_1"));
    Option1_1->setGeometry(TwipRect(12840, 150, 2100, 360));
    Option1_1->setChecked(true);
    for (QRadioButton* option : {Option1_0, Option1_1})
        option->setFocusPolicy(Qt::NoFocus);
    auto* options = new QButtonGroup(this);
    options->addButton(Option1_0, 0);
    options->addButton(Option1_1, 1);
    connect(options, &QButtonGroup::idClicked, this, &CriteriaEditor::optionChosen);

    createDistributionPanel();

    Command2 = MakeButton(this, QStringLiteral("Command2"), QStringLiteral("元に戻す"),
                          TwipRect(10440, 10200, 1530, 720));
    Command3 = MakeButton(this, QStringLiteral("Command3"), QStringLiteral("更新記録"),
                          TwipRect(12090, 10200, 1530, 720));
    Command4 = MakeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る"),
                          TwipRect(13740, 10200, 1470, 720));
    // Typing stays in the text box over the grid.
    for (QPushButton* button : {Command2, Command3, Command4})
        button->setFocusPolicy(Qt::NoFocus);
    connect(Command2, &QPushButton::clicked, this, [this] {
        // The cursor stays where it was when that level is still there.
        if (!busy_) reloadGrid(grid_.row(), grid_.column());
    });
    connect(Command3, &QPushButton::clicked, this, [this] {
        if (!busy_) save();
    });
    connect(Command4, &QPushButton::clicked, this, &CriteriaEditor::goBack);

    createWaitPanel();
}

void CriteriaEditor::createGrid() {
    // The caption row and the level column are the table's headers, so they
    // stay in place while the levels scroll under them.
    MSFlexGrid1 = new QTableWidget(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setColumnCount(CriteriaGrid::kLastColumn);
    MSFlexGrid1->setHorizontalHeaderLabels(CriteriaGrid::Captions().mid(1));
    QHeaderView* captions = MSFlexGrid1->horizontalHeader();
    captions->setSectionResizeMode(QHeaderView::Fixed);
    captions->setMinimumSectionSize(kSpareColumnWidth);
    captions->setFixedHeight(kGridRowHeight);
    captions->setHighlightSections(false);
    captions->setSectionsClickable(false);
    QHeaderView* levels = MSFlexGrid1->verticalHeader();
    levels->setSectionResizeMode(QHeaderView::Fixed);
    levels->setDefaultSectionSize(kGridRowHeight);
    levels->setMinimumSectionSize(kGridRowHeight);
    levels->setDefaultAlignment(Qt::AlignCenter);
    levels->setFixedWidth(kGridColumnWidth);
    levels->setHighlightSections(false);
    levels->setSectionsClickable(false);
    for (int c = 1; c <= CriteriaGrid::kLastColumn; ++c)
        MSFlexGrid1->setColumnWidth(c - 1,
                                    c < kFirstSpareColumn ? kGridColumnWidth : kSpareColumnWidth);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The grid is never edited itself: typing goes to the text box over it.
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    MSFlexGrid1->setFocusPolicy(Qt::NoFocus);
    MSFlexGrid1->setCornerButtonEnabled(false);
    MSFlexGrid1->setStyleSheet(
        QStringLiteral("QTableWidget { gridline-color: #808080; font-size: 9pt; }"
                       "QHeaderView::section { background-color: rgb(212, 208, 200);"
                       " border: 0px; border-right: 1px solid #808080;"
                       " border-bottom: 1px solid #808080; font-size: 8pt; }"));
    // The corner holds the level column's caption.
    auto* corner = new QLabel(CriteriaGrid::Captions().first(), MSFlexGrid1);
    corner->setObjectName(QStringLiteral("MSFlexGrid1Corner"));
    corner->setAlignment(Qt::AlignCenter);
    corner->setStyleSheet(
        QStringLiteral("background-color: rgb(212, 208, 200); font-size: 8pt;"
                       " border-right: 1px solid #808080; border-bottom: 1px solid #808080;"));
    const int frame = MSFlexGrid1->frameWidth();
    corner->setGeometry(frame, frame, kGridColumnWidth, kGridRowHeight);
    const int height = kVisibleGridRows * kGridRowHeight + 2 * frame;
    MSFlexGrid1->setGeometry(Px(150), Px(1320), gridWidth(false), height);
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this,
            [this](int row, int column) { cellClicked(row + 1, column + 1); });

    Gridinputtext = new QLineEdit(this);
    Gridinputtext->setObjectName(QStringLiteral("Gridinputtext"));
    Gridinputtext->setFrame(false);
    Gridinputtext->setStyleSheet(
        QStringLiteral("QLineEdit { border: 2px solid #000080; font-size: 9pt; }"));
    Gridinputtext->installEventFilter(this);
    connect(Gridinputtext, &QLineEdit::textChanged, this, &CriteriaEditor::TextToGrid転送);
}

void CriteriaEditor::createDistributionPanel() {
    Picture3 = new QFrame(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setGeometry(TwipRect(10440, 600, 4770, 9420));
    Picture3->setFrameShape(QFrame::Box);
    SetBackground(Picture3, Rgb(255, 255, 224));
    Label7 = MakeLabel(Picture3, QStringLiteral("Label7"), QStringLiteral("現在までの成績度数分布"),
                       TwipRect(120, 60, 4500, 390));
    Label7->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Label9 = MakeLabel(Picture3, QStringLiteral("Label9"), QStringLiteral("全成績"),
                       TwipRect(120, 480, 4500, 330));
    List3 = MakeList(Picture3, QStringLiteral("List3"), TwipRect(120, 810, 4530, 4080));
    Label10 = MakeLabel(Picture3, QStringLiteral("Label10"), QStringLiteral("最高タイム"),
                        TwipRect(120, 4980, 4500, 330));
    List4 = MakeList(Picture3, QStringLiteral("List4"), TwipRect(120, 5310, 4530, 3990));
}

void CriteriaEditor::createWaitPanel() {
    Picture6 = new QFrame(this);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    SetBackground(Picture6, Rgb(255, 255, 192));
    auto* line = new QLabel(QStringLiteral("Just a moment,please."), Picture6);
    line->setObjectName(QStringLiteral("Label4"));
    line->setAlignment(Qt::AlignCenter);
    line->setStyleSheet(QStringLiteral("font-size: 24pt;"));
    line->setGeometry(0, 0, kWindowWidth, kWindowHeight);
    Picture6->hide();
}

void CriteriaEditor::load() {
    Label2->setText(QStringLiteral("成績の基準となるデータを変更できます。") + QLatin1Char('\n') +
                    QStringLiteral("プログラムを選んでください。"));
    Picture6->setGeometry(0, 0, kWindowWidth, kWindowHeight);
}

void CriteriaEditor::activate() {
    show();
    reloadGrid(1, 1);
}

void CriteriaEditor::reloadGrid(int row, int column) {
    try {
        grid_.load(ReadCriteriaRows(state_));
    } catch (const DataFileError& error) {
        endProgramWith(kFileErrorTitle, error.message());
        return;
    }
    // The style sheet's fonts size the header sections anew when the grid is
    // first polished: the rows keep their own height.
    MSFlexGrid1->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    MSFlexGrid1->setRowCount(grid_.levelRows());
    MSFlexGrid1->resize(gridWidth(grid_.levelRows() > kVisibleGridRows - 1), MSFlexGrid1->height());
    grid_.moveTo(row, column);
    showCells();
    columnHelp();
    GridToText転送();
    showDistribution();
}

// The whole width shows, with the scroll bar beside the last column, not over it.
int CriteriaEditor::gridWidth(bool scrolls) const {
    int width = 2 * MSFlexGrid1->frameWidth() + kGridColumnWidth;
    for (int c = 0; c < MSFlexGrid1->columnCount(); ++c)
        width += MSFlexGrid1->columnWidth(c);
    if (scrolls)
        width +=
            MSFlexGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, MSFlexGrid1);
    return width;
}

QTableWidgetItem* CriteriaEditor::cellItem(int row, int column) const {
    return MSFlexGrid1->item(row - 1, column - 1);
}

void CriteriaEditor::showCells() {
    const int levels = grid_.levelRows();
    QStringList levelNumbers;
    for (int r = 1; r <= levels; ++r)
        levelNumbers << grid_.cell(r, 0);
    MSFlexGrid1->setVerticalHeaderLabels(levelNumbers);
    for (int r = 1; r <= levels; ++r) {
        for (int c = 1; c <= CriteriaGrid::kLastColumn; ++c) {
            QTableWidgetItem* item = cellItem(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                MSFlexGrid1->setItem(r - 1, c - 1, item);
            }
            item->setText(grid_.cell(r, c));
            item->setBackground(grid_.isChangeColoured(r, c) ? Rgb(255, 255, 0)
                                                             : Rgb(255, 255, 255));
        }
    }
}

void CriteriaEditor::TextToGrid転送() {
    if (Gridinputtext->text() == grid_.currentText()) return;
    grid_.setCurrentText(Gridinputtext->text());
    showCells();
}

void CriteriaEditor::GridToText転送() {
    Gridinputtext->setText(grid_.currentText());
    Gridinputtext->setCursorPosition(kCaretPosition);
}

void CriteriaEditor::columnHelp() {
    QTableWidgetItem* item = cellItem(grid_.row(), grid_.column());
    MSFlexGrid1->scrollToItem(item);
    const QRect cell = MSFlexGrid1->visualItemRect(item);
    const QPoint topLeft = MSFlexGrid1->viewport()->mapTo(this, cell.topLeft());
    Gridinputtext->setGeometry(QRect(topLeft, cell.size()));
    Gridinputtext->show();
    Gridinputtext->raise();
    Gridinputtext->setFocus();
    Gridinputtext->setCursorPosition(kCaretPosition);
    Label3->setText(CriteriaGrid::Explanation(grid_.column()));
}

void CriteriaEditor::showDistribution() {
    if (Picture3->isHidden()) return;
    List3->clear();
    List4->clear();
    RunFileAction(state_, [&] {
        const Distribution distribution =
            ReadPatientlyValue(state_, [this] { return ReadDistribution(state_, grid_.row()); });
        List3->addItems(AllRunsRows(distribution));
        List4->addItems(BestRunsRows(distribution));
    });
}

bool CriteriaEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Gridinputtext && event->type() == QEvent::KeyPress)
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
            grid_.copyDown(Gridinputtext->text());
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
        Gridinputtext->clear();
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
    Picture6->show();
    Picture6->raise();
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
        SaveCriteria(state_, grid_.fileRows());
        grid_.markSaved();
        saved = true;
        // The running program judges by the new values at once.
        LoadCriteria(state_);
    } catch (const DataFileError& error) {
        state_.platform.dialogs->inform(kFileErrorTitle, error.message());
    }
    showCells();
    Picture6->hide();
    --busy_;
    Gridinputtext->setFocus();
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
    Picture3->setVisible(index == 1);
    showDistribution();
    Gridinputtext->setFocus();
}
