#pragma once
// The real dialogs: Qt message boxes over the screen that asks.

#include "core/Platform.h"

class QWidget;

class MessageBoxDialogs : public Dialogs {
  public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void inform(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text) override;
    bool askOkCancel(const QString& title, const QString& text) override;

  private:
    QWidget* parent_;
};
