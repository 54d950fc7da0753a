#include "widgets/MessageBoxDialogs.h"

#include <QMessageBox>

void MessageBoxDialogs::inform(const QString& title, const QString& text) {
    QMessageBox::information(parent_, title, text, QMessageBox::Ok);
}

bool MessageBoxDialogs::askYesNo(const QString& title, const QString& text) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool MessageBoxDialogs::askOkCancel(const QString& title, const QString& text) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}
