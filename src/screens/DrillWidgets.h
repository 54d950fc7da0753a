#pragma once
// Small widgets of the drill screens: keys that are labels, the circle figures.

#include "drill/ProblemGenerator.h"

#include <QFont>
#include <QLabel>

// The screens' Japanese Gothic face at a size in points, as pixels of the
// 96-dpi screen the layouts are made for, so a layout looks alike on any display.
QFont ScreenFont(double points, bool bold = false);

// A label that reacts to a click, as the keys of the keypad do.
class KeyLabel : public QLabel {
    Q_OBJECT
  public:
    KeyLabel(const QString& text, QWidget* parent);

  Q_SIGNALS:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A circle with its diameter (a line through the centre) or its radius (a line
// from the centre to the edge). The length is a label by the line.
class CircleFigure : public QWidget {
  public:
    CircleFigure(Figure figure, QWidget* parent);
    QLabel* numberLabel() const { return number_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPointF centre() const;
    double radius() const;
    void placeNumber();

    Figure figure_;
    QLabel* number_;
};
