#include "widgets/VersionDialog.h"

#include "core/ProgramState.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kDialogWidth = 480;
constexpr int kDialogHeight = 260;
} // namespace

QString VersionText() {
    return QStringLiteral("Version%1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

VersionDialog::VersionDialog(const ProgramState& state, QWidget* over)
    : QDialog(over), state_(state), label1_(new QLabel(this)), label2_(new QLabel(this)),
      label4_(new QLabel(this)), label5_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmver"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);
    setFixedSize(kDialogWidth, kDialogHeight);

    auto* shape1 = new QFrame(this);
    shape1->setObjectName(QStringLiteral("Shape1"));
    shape1->setFrameShape(QFrame::Box);
    shape1->setLineWidth(2);
    shape1->setGeometry(16, 16, kDialogWidth - 32, 160);

    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(32, 30, kDialogWidth - 64, 50);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setStyleSheet(QStringLiteral("font-size: 22pt; font-weight: bold;"));

    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(32, 88, kDialogWidth - 64, 30);
    label2_->setAlignment(Qt::AlignCenter);
    label2_->setStyleSheet(QStringLiteral("font-size: 14pt;"));

    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setGeometry(32, 126, kDialogWidth - 64, 30);
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setStyleSheet(QStringLiteral("font-size: 14pt;"));

    label5_->setObjectName(QStringLiteral("Label5"));
    label5_->setGeometry(32, 160, kDialogWidth - 64, 12);

    auto* command1 = new QPushButton(QStringLiteral("O.K."), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setGeometry(kDialogWidth / 2 - 60, 196, 120, 44);
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &QDialog::accept);

    // A button that was laid out but never given a task.
    auto* command2 = new QPushButton(this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setGeometry(kDialogWidth - 56, 204, 32, 28);
    command2->setFlat(true);
}

void VersionDialog::showEvent(QShowEvent* event) {
    centreOverParent();
    fillLabels();
    QDialog::showEvent(event);
}

void VersionDialog::fillLabels() {
    label1_->setText(state_.levels.ProgramTitle);
    label2_->setText(VersionText());
    label4_->setText(QStringLiteral("Sorano"));
    label5_->clear();
}

void VersionDialog::centreOverParent() {
    const QWidget* over = parentWidget();
    if (!over) return;
    const QPoint topLeft((over->width() - width()) / 2, (over->height() - height()) / 2);
    move(over->mapToGlobal(topLeft));
}
