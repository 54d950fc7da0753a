#pragma once
// namesel: the student picks their own name from the classroom roster.

#include "widgets/Screen.h"

#include <QStringList>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListView;
class NameListModel;
class QPushButton;

inline const QString kChooseNamePrompt = QStringLiteral("名前を選びなさい");

// The program menu beside the program folder: "<program folder>/../起動/プログラムメニューc.exe",
// or the same path without ".exe" where only that exists (systems without .exe files).
QString ProgramMenuPath(const QString& appFolder);
inline const QString kProgramMenuArgument = QStringLiteral("001");

// The roster by grade, where a student picks their name; design name namesel.
class NameSelectionScreen : public Screen {
    Q_OBJECT
  public:
    NameSelectionScreen(ProgramState& state, QWidget* parent);
    void load() override;
    void activate() override;
    // Back from the version dialog or a message: the activation runs again.
    void returnedTo() override;

    // Rebuilds the list: recount, reread the roster, refill the rows.
    void 名簿表示();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void chooseOption(int option);
    void chooseGrade();
    void selectRow(int row);
    void doubleClickRow(int row);
    void confirm();
    void tellRunsStillKept();
    void leaveForProgramMenu();
    void openVersionDialog();
    // The keys "1" and "0" anywhere, Enter and space in the list; true when used.
    bool handleKey(QObject* target, QKeyEvent* key);
    void rebuildOrStop();

    int displayOption_ = 0;
    bool stopped_ = false;
    bool rebuilding_ = false; // the list is being built; a message may be up meanwhile
    NameListModel* names_;    // List1's rows and List3: entry i - 1 belongs to List1 row i

    QListView* list1_;
    QComboBox* combo1_;
    QButtonGroup* option1_;
    QPushButton* command14_;
    QPushButton* command7_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label4_;
    QLabel* label5_;
    QFrame* picture5_;
};
