#pragma once
// What assistive technology is told about where a control is. The screens are
// drawn through ScaledWindow's graphics view at a scale, while each control
// keeps its design geometry; a screen magnifier or a switch-access tool must
// frame the control as drawn, so every widget's accessible rectangle is its
// drawn rectangle on the display.

#include <QRect>

#include <optional>

class QWidget;

// The widget's rectangle on the display as a graphics view draws it, in
// global coordinates; nullopt for a widget not drawn in a scene, whose own
// geometry is already its drawn one.
std::optional<QRect> DrawnGeometry(const QWidget& widget);

// From now on, the accessible interface of every widget reports its drawn
// geometry. Call it before assistive technology has asked for any widget.
void ReportDrawnGeometryToAssistiveTechnology();
