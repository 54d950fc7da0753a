#pragma once
// FrmWorksheet: the teacher's worksheet printing, opened from the board's
// data change panel. The same choices as drill-worksheet: the level, how many
// problems, for the board's student or for every student of the board's grade
// filter, from each one's weak spots (the level is then the draw of a student
// with no answers kept), the answer keys on or off. Printed on the printer, or
// into a PDF in the home folder on a machine without one.

#include "rules/Worksheet.h"
#include "widgets/Screen.h"

#include <QDateTime>

class QCheckBox;
class QComboBox;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The PDF file the worksheets go into on a machine without a printer.
QString WorksheetPdfName(const QDateTime& now);

class WorksheetScreen : public Screen {
    Q_OBJECT
  public:
    WorksheetScreen(ProgramState& state, QWidget* parent);
    void activate() override;

    // The settings the controls show, under a fresh seed.
    WorksheetSettings chosenSettings() const;
    // Prints the chosen sheets; false when nobody is chosen or the printer
    // cannot be painted on.
    bool printTo(QPrinter& printer);

  private:
    void printClicked();
    void goBack();

    QComboBox* combo1_ = nullptr;   // level
    QSpinBox* text1_ = nullptr;     // problems
    QRadioButton* option1_[2] = {}; // this student, the grade filter
    QCheckBox* check2_ = nullptr;   // weak spots
    QCheckBox* check1_ = nullptr;   // answer keys
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};
