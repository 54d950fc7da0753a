// The window that draws the 1024 × 768 screens at the display's scale: the
// scale and start size for common displays, and clicks, touches, dialogs and
// lists that land on what is drawn under them.

#include "TestDoubles.h"

#include "widgets/ScaledWindow.h"
#include "widgets/Screen.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QSize kDesign(kWindowWidth, kWindowHeight);

TEST(FitScale, TheLargestScaleThatKeepsTheShape) {
    const struct {
        QSize display;
        qreal scale;
    } cases[] = {
        {{1024, 768}, 1.0},    {{1366, 768}, 1.0},  {{1920, 1080}, 1.40625}, {{2560, 1440}, 1.875},
        {{800, 600}, 0.78125}, {{1024, 1280}, 1.0}, {{3840, 2160}, 2.8125},  {{0, 768}, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FitScale(c.display, kDesign), c.scale)
            << c.display.width() << "x" << c.display.height();
}

TEST(PlanWindowedStart, MaximisedWhenTheFramedWindowDoesNotFitElseAsLargeAsFits) {
    const QSize frame(16, 48);
    const struct {
        QSize available;
        bool maximised;
        QSize size;
    } cases[] = {
        // A laptop with a panel: not even 768 lines are free.
        {{1366, 738}, true, {1350, 690}},    {{1024, 768}, true, {1008, 720}},
        {{1040, 816}, false, {1024, 768}},   {{1920, 1050}, false, {1336, 1002}},
        {{2560, 1400}, false, {1803, 1352}},
    };
    for (const auto& c : cases) {
        const WindowStart start = PlanWindowedStart(c.available, frame, kDesign);
        EXPECT_EQ(start.maximised, c.maximised)
            << c.available.width() << "x" << c.available.height();
        EXPECT_EQ(start.size, c.size) << c.available.width() << "x" << c.available.height();
    }
}

// A key that lets the press pass and counts the release over it, as the
// drill's keys do.
class ReleaseKey : public QWidget {
  public:
    using QWidget::QWidget;
    int presses = 0;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (rect().contains(event->position().toPoint())) ++presses;
    }
};

// A host with one control at (100, 200), 120 × 40 in the design, in a scaled window.
struct ScaledHost {
    ScreenHost host;
    ReleaseKey* key = new ReleaseKey(&host);
    ScaledWindow window{host};

    explicit ScaledHost(const QSize& display) {
        key->setGeometry(100, 200, 120, 40);
        window.resize(display);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            throw std::runtime_error("the window never showed");
    }
    void clickAt(const QPointF& design) {
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, window.toViewport(design));
    }
};

TEST(ScaledWindow, FillsTheWindowCentredAtTheFittingScale) {
    const struct {
        QSize display;
        qreal scale;
        QPoint topLeft; // where the design's corner is drawn
    } cases[] = {
        {{1024, 768}, 1.0, {0, 0}},        {{1366, 768}, 1.0, {171, 0}},
        {{1920, 1080}, 1.40625, {240, 0}}, {{2560, 1440}, 1.875, {320, 0}},
        {{1024, 1000}, 1.0, {0, 116}},
    };
    for (const auto& c : cases) {
        ScaledHost scaled(c.display);
        EXPECT_DOUBLE_EQ(scaled.window.scale(), c.scale);
        EXPECT_EQ(scaled.window.toViewport({0, 0}), c.topLeft) << c.display.width();
        const QPoint bottomRight = scaled.window.toViewport({kWindowWidth, kWindowHeight});
        EXPECT_LE(bottomRight.x(), c.display.width());
        EXPECT_LE(bottomRight.y(), c.display.height());
    }
}

TEST(ScaledWindow, AClickLandsOnTheControlDrawnUnderItAndNowhereElse) {
    for (const QSize display :
         {QSize(1366, 768), QSize(1920, 1080), QSize(2560, 1440), QSize(800, 600)}) {
        ScaledHost scaled(display);
        // Just outside the button's left and top edges, then just inside its corners.
        scaled.clickAt({98.5, 220});
        scaled.clickAt({150, 198.5});
        scaled.clickAt({221.5, 220});
        EXPECT_EQ(scaled.key->presses, 0) << display.width();
        scaled.clickAt({101.5, 201.5});
        scaled.clickAt({218.5, 238.5});
        EXPECT_EQ(scaled.key->presses, 2) << display.width();
    }
}

// A screen magnifier frames a control where it is drawn: its accessible
// rectangle is its design rectangle through the window's scale, and asking
// what lies under a drawn point finds it.
TEST(ScaledWindow, AssistiveTechnologyIsToldEachControlsDrawnRectangle) {
    for (const QSize display : {QSize(1920, 1080), QSize(800, 600)}) {
        ScaledHost scaled(display);
        auto* panel = new QWidget(&scaled.host);
        panel->setGeometry(500, 300, 400, 300);
        panel->show();
        const struct {
            QWidget* control;
            QRect design; // in the host
        } controls[] = {
            {new QPushButton(QStringLiteral("O.K."), &scaled.host), {600, 640, 364, 100}},
            {new QLabel(QStringLiteral("名前を選びなさい"), &scaled.host), {40, 40, 300, 60}},
            {new QListWidget(&scaled.host), {40, 120, 420, 500}},
            {new QPushButton(QStringLiteral("戻る"), panel), {520, 340, 120, 50}},
        };
        for (const auto& c : controls) {
            const QPoint inParent =
                c.control->parentWidget()->mapFrom(&scaled.host, c.design.topLeft());
            c.control->setGeometry(QRect(inParent, c.design.size()));
            c.control->show();
        }
        const qreal scale = scaled.window.scale();
        for (const auto& c : controls) {
            const QString name = c.control->metaObject()->className();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(c.control);
            ASSERT_NE(accessible, nullptr) << qPrintable(name);
            const QRect told = accessible->rect();
            const QPoint corner =
                scaled.window.viewport()->mapToGlobal(scaled.window.toViewport(c.design.topLeft()));
            EXPECT_NEAR(told.left(), corner.x(), 1) << qPrintable(name) << display.width();
            EXPECT_NEAR(told.top(), corner.y(), 1) << qPrintable(name) << display.width();
            EXPECT_NEAR(told.width(), c.design.width() * scale, 2)
                << qPrintable(name) << display.width();
            EXPECT_NEAR(told.height(), c.design.height() * scale, 2)
                << qPrintable(name) << display.width();
            QAccessibleInterface* parent = accessible->parent();
            ASSERT_NE(parent, nullptr);
            const QPoint middle = told.center();
            QAccessibleInterface* under = parent->childAt(middle.x(), middle.y());
            EXPECT_TRUE(under && under->object() == c.control) << qPrintable(name);
        }
    }
}

TEST(ScaledWindow, BothTapsOfADoubleTapPressTheKey) {
    ScaledHost scaled({2560, 1440});
    QPointingDevice* screen = QTest::createTouchDevice();
    const QPoint at = scaled.window.toViewport({160, 220});
    // Two taps on the same key, as for the 6 of "6×6×3.14": the second is a double tap.
    for (int tap = 0; tap < 2; ++tap) {
        QTest::touchEvent(scaled.window.viewport(), screen).press(0, at);
        QTest::touchEvent(scaled.window.viewport(), screen).release(0, at);
    }
    EXPECT_EQ(scaled.key->presses, 2);
}

TEST(ScaledWindow, AMessageBoxOverAScreenIsDrawnScaledInTheMiddleAndAnswersClicks) {
    ScaledHost scaled({1920, 1080});
    QMessageBox* box = nullptr;
    QTimer::singleShot(100, [&] {
        box = scaled.host.findChild<QMessageBox*>();
        ASSERT_NE(box, nullptr);
        QGraphicsProxyWidget* proxy = box->graphicsProxyWidget();
        ASSERT_NE(proxy, nullptr);
        EXPECT_EQ(proxy->scene(), scaled.window.scene());
        const QPointF middle = proxy->mapToScene(proxy->windowFrameRect().center());
        EXPECT_NEAR(middle.x(), kWindowWidth / 2.0, 1.0);
        EXPECT_NEAR(middle.y(), kWindowHeight / 2.0, 1.0);
        EXPECT_EQ(proxy->size(), QSizeF(box->size()));
        EXPECT_EQ(proxy->windowTitle(), QStringLiteral("注意"));
        QAbstractButton* no = box->button(QMessageBox::No);
        const QPointF inScene = proxy->mapToScene(QPointF(no->mapTo(box, no->rect().center())));
        QTest::mouseClick(scaled.window.viewport(), Qt::LeftButton, {},
                          scaled.window.mapFromScene(inScene));
    });
    const auto answer = QMessageBox::question(&scaled.host, QStringLiteral("注意"),
                                              QStringLiteral("本当に消去しますか"),
                                              QMessageBox::Yes | QMessageBox::No);
    EXPECT_NE(box, nullptr);
    EXPECT_EQ(answer, QMessageBox::No);
}

TEST(ScaledWindow, ADialogWiderThanTheScreensOrPlacedAwayIsDrawnWholeInTheMiddle) {
    ScaledHost scaled({1920, 1080});
    const QRectF screens(0, 0, kWindowWidth, kWindowHeight);
    for (const QSize size : {QSize(480, 260), QSize(1400, 300)}) {
        QDialog dialog(&scaled.host);
        dialog.setFixedSize(size);
        dialog.show();
        // A dialog that places itself by global coordinates, as if over a window.
        dialog.move(3000, -500);
        QGraphicsProxyWidget* proxy = dialog.graphicsProxyWidget();
        ASSERT_NE(proxy, nullptr);
        const auto drawnAt = [&] { return proxy->mapRectToScene(proxy->windowFrameRect()); };
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return qAbs(drawnAt().center().x() - kWindowWidth / 2.0) < 1.0; }, 2000))
            << size.width();
        EXPECT_NEAR(drawnAt().center().y(), kWindowHeight / 2.0, 1.0);
        EXPECT_TRUE(screens.contains(drawnAt().adjusted(1, 1, -1, -1))) << size.width();
    }
}

TEST(ScaledWindow, AComboListOpensInTheSceneAndTakesAClick) {
    ScaledHost scaled({1920, 1080});
    auto* combo = new QComboBox(&scaled.host);
    combo->addItems({QStringLiteral("全員"), QStringLiteral("小1"), QStringLiteral("小2")});
    combo->setGeometry(400, 100, 200, 40);
    combo->show();
    scaled.clickAt({500, 120});
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000));
    QGraphicsProxyWidget* popup = list->window()->graphicsProxyWidget();
    ASSERT_NE(popup, nullptr);
    // The list ignores a release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect row = list->visualRect(list->model()->index(2, 0));
    const QPointF inScene =
        popup->mapToScene(QPointF(list->viewport()->mapTo(list->window(), row.center())));
    QTest::mouseClick(scaled.window.viewport(), Qt::LeftButton, {},
                      scaled.window.mapFromScene(inScene));
    EXPECT_EQ(combo->currentIndex(), 2);
}

TEST(ScaledWindow, KioskRefusesToBeClosedFromOutsideAWindowDoesNot) {
    ScreenHost host;
    ScaledWindow kiosk(host);
    kiosk.showKiosk(*kiosk.screen());
    EXPECT_FALSE(kiosk.close());
    EXPECT_TRUE(kiosk.isVisible());
    EXPECT_TRUE(kiosk.windowFlags() & Qt::FramelessWindowHint);

    ScreenHost other;
    ScaledWindow windowed(other);
    windowed.showWindowed(*windowed.screen());
    EXPECT_TRUE(windowed.close());
}

} // namespace
