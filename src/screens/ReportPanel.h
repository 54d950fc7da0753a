#pragma once
// Picture11: the student report panel of the level board. Its drawing area
// picture12_ shows up to three report blocks over the student's つまずき block
// (its print keeps the blocks alone); the level list list3_ and the
// student list list2_ choose what is drawn; teachers can print.

#include "rules/StudentReport.h"

#include <QDateTime>
#include <QFrame>
#include <QImage>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
struct ProgramState;

// The PDF file the reports go into on a machine without a printer.
QString ReportPdfName(const QDateTime& now);

class ReportPanel : public QFrame {
    Q_OBJECT
  public:
    // The board's grade filter and points order, read when a report is drawn.
    using SettingsSource = std::function<ReportSettings()>;
    ReportPanel(ProgramState& state, SettingsSource settings, QWidget* parent);

    // Reads the level list and the student list afresh (status-0 roster lines);
    // the report's student becomes StudentNo; printing is offered to teachers.
    void refreshLists();
    // The "グラフ" button: the student's first three levels, drawn on the screen.
    void showForStudent(int student);
    // Draws the chosen levels of every chosen student (else of the report's
    // student) on the drawing area; the last one stays shown.
    void showReports();
    // Prints them on a printer that is set up, each student from a new page;
    // false when the printer (or the PDF file) cannot be written.
    bool printReports(QPrinter& printer);
    // Prints the progress sheet of the students the board's grade filter shows,
    // then each one's report on the chosen levels; false when nobody is listed.
    bool printClassReport(QPrinter& printer);
    // The class report when "このクラス全員" is ticked, else the chosen students'.
    bool printChosen(QPrinter& printer);

    const QImage& drawing() const { return image_; }
    int reportStudent() const { return reportStudent_; }

  private:
    void createControls();
    // The panel's actions read shared files, and events run while a read
    // waits: one action at a time, a click meanwhile returns at once.
    void runOnce(const std::function<void()>& action);
    void printClicked();
    void otherStudentsClicked();
    std::vector<int> chosenStudents() const;
    std::vector<int> chosenLevels() const;
    std::vector<ReportData> reportBlocks(int student,
                                         const std::vector<ResultRecord>& records) const;
    std::vector<ResultRecord> recordWindow() const;
    QStringList weakSpotLines(int student) const;
    void placeInFront();

    ProgramState& state_;
    SettingsSource settings_;
    QImage image_;

    QLabel* picture12_ = nullptr;
    QListWidget* list3_ = nullptr;
    QListWidget* list2_ = nullptr;
    QPushButton* command24_[2] = {};
    QPushButton* command25_ = nullptr;
    QPushButton* command18_ = nullptr;
    QCheckBox* wholeClass_ = nullptr;

    bool busy_ = false;
    int reportStudent_ = 0;
    double reportFontSize_ = 6;
};
