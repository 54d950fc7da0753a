#pragma once
// A colour as the window-free code names it; the screens turn it into a QColor.

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Colour&) const = default;
};
