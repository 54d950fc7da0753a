#pragma once
// RecordsBrowser: the teacher's records browser. Lists every record of the results
// file; a double-click opens the edit panel, where the student and the result
// of the record can be changed or the record deleted.

#include "records/RecordMaintenance.h"
#include "widgets/Screen.h"

#include <QByteArray>

#include <functional>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QScrollBar;
class RecordListModel;

// The teachers' records browser over the results file; design name FrmData.
class RecordsBrowser : public Screen {
    Q_OBJECT
  public:
    RecordsBrowser(ProgramState& state, QWidget* parent);
    void load() override;

    // Reads the roster and the results file and lists the records again.
    void buildList();

    RecordListModel* model() const { return model_; }

  private:
    void createEditPanel();
    void createWaitPanelAndCover();

    // Handlers.
    void rowClicked();
    void rowDoubleClicked(int row);
    void studentChosen();
    void scrollBarMoved(int value);
    void saveChange();
    void deleteRecord();
    void goBack();

    void fillPanel(qint64 number, const QByteArray& bytes);
    void closePanel();
    void selectRow(int row);
    // Builds the list with the wait panel up; false when the program must end.
    bool rebuildWithWaitPanel();
    void tellRecordChanged();
    void tellFileError(const QString& message);
    // A change or deletion on a worker under the wait panel, patient with a
    // file another machine holds or a server away; a notice of files set
    // aside by recovery is told after it. write owns what it uses: a try the
    // teacher stopped waiting for may land later, the intent keeping the file
    // whole. None when it did not end here: the teacher stopped waiting or it
    // failed (told, the list rebuilt).
    std::optional<MaintenanceOutcome>
    writeUnderWaitPanel(std::function<MaintenanceOutcome(QString& setAside)> write);
    QString resultsPath() const;

    RecordListModel* model_;
    QListView* list1_;
    QLabel* label5_;
    QLabel* label3_;
    QFrame* picture3_;
    QLabel* label1_;
    QLabel* label2_1_; // level
    QLabel* label2_2_; // date
    QLabel* label2_3_; // "秒"
    QLabel* label2_4_; // grade label
    QComboBox* combo1_;
    QLineEdit* text1_1_;
    QScrollBar* vScroll1_;
    QPushButton* command2_;
    QPushButton* command3_;
    QPushButton* command6_;
    QPushButton* command4_;
    QFrame* picture6_;
    QFrame* picture1_;

    // The record in the edit panel, as read when it was opened.
    qint64 panelRecord_ = 0;
    QByteArray panelBytes_;
    // Guards the handlers while pending events run under the wait panel.
    int busy_ = 0;
};
