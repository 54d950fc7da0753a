#pragma once
// frmver: which program and which version is running.

#include <QDialog>

class QLabel;
class QPushButton;
struct ProgramState;

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 15;

// "Version1.0.15": no blanks, no leading zeros.
QString VersionText();

// The version box; design name frmver.
class VersionDialog : public QDialog {
    Q_OBJECT
  public:
    // Modal, centred over the given screen.
    VersionDialog(const ProgramState& state, QWidget* over);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void fillLabels();
    void centreOverParent();

    const ProgramState& state_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label4_;
    QLabel* label5_;
};
