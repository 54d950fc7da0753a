#pragma once
// CriteriaEditor: the teacher's editor of the criteria table. The table is shown
// as a grid; all typing goes into a text box floating over the current cell.
// Beside it, the distribution of the recorded times of the current level.

#include "rules/CriteriaGrid.h"
#include "widgets/Screen.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTableWidgetItem;

// The teachers' criteria editor; design name FrmTimeData.
class CriteriaEditor : public Screen {
    Q_OBJECT
  public:
    CriteriaEditor(ProgramState& state, QWidget* parent);
    void load() override;
    void activate() override;

    // The text box into the current cell, run on every change of the text box.
    void TextToGrid転送();
    // The current cell into the text box, the caret after its tenth character.
    void GridToText転送();

    const CriteriaGrid& grid() const { return grid_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createGrid();
    void createDistributionPanel();
    void createWaitPanel();

    // Handlers.
    // True when the key's character is still to be typed into the text box.
    bool keyPressed(const QKeyEvent& key);
    void cellClicked(int row, int column);
    // command2_ and each activation; a missing file ends the program.
    // The criteria file's rows, read on a worker as a setting.
    std::vector<QStringList> readRows();
    void reloadGrid(int row, int column);
    bool save();   // command3_
    void goBack(); // command4_
    void optionChosen(int index);

    int gridWidth(bool scrolls) const;
    // The table item of grid cell (row 1..N, column 1..12).
    QTableWidgetItem* cellItem(int row, int column) const;
    void columnHelp();
    void showDistribution();
    void showCells();
    void showWaitPanel();

    CriteriaGrid grid_;
    QLabel* label5_;
    QLabel* label2_;
    QLabel* label1_;
    QTableWidget* msFlexGrid1_;
    QLineEdit* gridinputtext_;
    QLabel* label6_;
    QLabel* label3_;
    QPushButton* command2_;
    QPushButton* command3_;
    QPushButton* command4_;
    QRadioButton* option1_0_;
    QRadioButton* option1_1_;
    QFrame* picture3_;
    QLabel* label7_;
    QLabel* label9_;
    QLabel* label10_;
    QListWidget* list3_;
    QListWidget* list4_;
    QFrame* picture6_;

    // Guards the handlers while pending events run under the wait panel.
    int busy_ = 0;
};
