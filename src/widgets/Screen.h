#pragma once
// Every screen is a Screen: a full-window widget of the one 1024 × 768 window,
// created when shown and destroyed when closed. Geometry is given in twips
// (1/1440 inch, 15 twips a pixel) as the layouts are written.

#include "core/Colour.h"

#include <QWidget>

#include <type_traits>
#include <utility>

struct ProgramState;

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kWindowWidth = 1024;
inline constexpr int kWindowHeight = 768;

constexpr int Px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
QRect TwipRect(int left, int top, int width, int height);
// A colour written as red in the lowest byte, then green, then blue.
QColor Rgb(int red, int green, int blue);
void SetBackground(QWidget* widget, const QColor& colour);
void SetBackground(QWidget* widget, Colour colour);

class QLabel;
class QPushButton;
// A label or button under its design name, with its text, in its place.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        const QRect& place);

class Screen : public QWidget {
    Q_OBJECT
  public:
    Screen(ProgramState& state, QWidget* parent);
    // Runs once, when the screen is created (the form's load).
    virtual void load() {}
    // Runs every time the screen is shown (the form's activation).
    virtual void activate() {}
    // Runs when the window becomes active again with this screen in front,
    // after a dialog or message of this program has closed.
    virtual void returnedTo() {}
    // Where the screen sits in the window: the whole window unless it says otherwise.
    virtual QRect placeIn(const QRect& window) const { return window; }

  protected:
    // Tells the user why, then ends the program.
    void endProgramWith(const QString& title, const QString& text);

    ProgramState& state_;
};

// The one window that hosts the screens, topmost last.
class ScreenHost : public QWidget {
    Q_OBJECT
  public:
    explicit ScreenHost(QWidget* parent = nullptr);

    // Creates the screen (or brings back the open one), loads it on creation,
    // raises it and activates it.
    template <typename T> T* open(ProgramState& state) {
        static_assert(std::is_base_of_v<Screen, T>);
        T* screen = find<T>();
        const bool created = screen == nullptr;
        if (created) {
            screen = new T(state, this);
            place(screen);
            screen->load();
        }
        bringToFront(screen);
        ++activating_;
        screen->activate();
        --activating_;
        return screen;
    }

    template <typename T> T* find() const {
        for (QObject* child : children())
            if (auto* screen = qobject_cast<T*>(child); screen && !closing(screen)) return screen;
        return nullptr;
    }

    template <typename T> void close() {
        if (T* screen = find<T>()) closeScreen(screen);
    }

    void closeScreen(Screen* screen);
    // Closes every screen, last opened first.
    void closeAll();

  protected:
    bool event(QEvent* event) override;

  private:
    void place(Screen* screen);
    void bringToFront(Screen* screen);
    static bool closing(const QObject* screen);
    Screen* frontScreen() const;
    void returnToFrontScreen();

    int activating_ = 0;         // a screen's activation is running
    bool returnPending_ = false; // a window of this program took the activation
};
