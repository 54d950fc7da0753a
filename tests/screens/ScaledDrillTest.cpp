// One drill played only by clicks and touches on the scaled window, as on a
// 2560 × 1440 display (scale 1.875, black bars left and right): each is sent
// to the window at the place where the control is drawn, never to the control.

#include "DemoClassroom.h"
#include "DrillKeypad.h"
#include "ListRows.h"
#include "TestDoubles.h"

#include "app/AppNavigator.h"
#include "app/Configuration.h"
#include "core/Dates.h"
#include "records/ResultsFile.h"
#include "screens/DrillScreen.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "screens/ResultsScreen.h"
#include "widgets/ScaledWindow.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QLabel>
#include <QListView>
#include <QPointingDevice>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

namespace {

class ScaledProgram : public ::testing::Test {
  protected:
    DemoClassroom classroom;
    TestRig rig;
    SteppingRandom random;
    ScreenHost host;
    ScaledWindow window{host};
    AppNavigator navigator{host, rig.state};

    void SetUp() override {
        rig.state.platform.random = &random;
        rig.state.platform.navigator = &navigator;
        window.resize(2560, 1440);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_DOUBLE_EQ(window.scale(), 1.875);
        PrepareStartUp(rig.state);
        LoadConfiguration(rig.state, classroom.programFolder());
        navigator.showNameSelection();
    }

    template <typename W = QWidget> W* child(const QWidget* screen, const QString& name) {
        W* found = screen ? screen->findChild<W*>(name) : nullptr;
        if (!found) throw std::runtime_error("no control " + name.toStdString());
        return found;
    }

    QPoint drawnAt(const QWidget* control, std::optional<QPoint> at = std::nullopt) const {
        return window.toViewport(control->mapTo(&host, at.value_or(control->rect().center())));
    }
    // A click on the window where a point of the control is drawn.
    void tap(const QWidget* control, std::optional<QPoint> at = std::nullopt) {
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, drawnAt(control, at));
    }
    // A finger on the touch screen where the control is drawn.
    void touch(const QWidget* control) {
        static QPointingDevice* const screen = QTest::createTouchDevice();
        const QPoint at = drawnAt(control);
        QTest::touchEvent(window.viewport(), screen).press(0, at);
        QTest::touchEvent(window.viewport(), screen).release(0, at);
    }
};

TEST_F(ScaledProgram, ADrillPlayedByClicksOnTheScaledWindowIsRecorded) {
    const qint64 recordsBefore = RecordCount(classroom.results());

    auto* names = host.find<NameSelectionScreen>();
    ASSERT_NE(names, nullptr);
    auto* list = child<QListView>(names, QStringLiteral("List1"));
    tap(list->viewport(), RowCentre(list, 1));
    tap(child(names, QStringLiteral("Command14")));
    auto* board = host.find<LevelBoard>();
    ASSERT_TRUE(board && board->boardReady());
    const int student = rig.state.session.StudentNo;
    ASSERT_GT(student, 0);

    tap(child(board, QStringLiteral("Command4_1")));
    DrillScreen* drill = host.find<DrillScreen>();
    ASSERT_NE(drill, nullptr);
    // The test display is smaller than the window and drops touches outside
    // it: move the window so that the keypad lies on the display.
    const QPoint keypad = drawnAt(child(drill, QStringLiteral("Label5_2")));
    window.move(window.screen()->geometry().center() - keypad);
    for (int problem = 0; problem < 10; ++problem) {
        ASSERT_EQ(host.find<DrillScreen>(), drill)
            << "the drill ended after " << problem << " problems";
        for (int second = 0; second < 3; ++second) {
            rig.clock.advance(1);
            TickTimer(drill, QStringLiteral("sTimer1"));
        }
        // The keys by touch on even problems, by mouse on odd ones.
        EnterFormula(drill, child<QLabel>(drill, QStringLiteral("Label2"))->text(),
                     [&](QWidget* key) {
                         if (problem % 2 == 0)
                             touch(key);
                         else
                             tap(key);
                     });
        tap(child(drill, QStringLiteral("Label6_0")));
    }

    auto* results = host.find<ResultsScreen>();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(child<QLabel>(results, QStringLiteral("Label18"))->text(),
              QStringLiteral("今の成績：30秒"));
    auto* menu = child<QPushButton>(results, QStringLiteral("Command4"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isHidden(); }, 5000));
    tap(menu);
    EXPECT_EQ(host.find<ResultsScreen>(), nullptr);
    EXPECT_NE(host.find<LevelBoard>(), nullptr);

    ASSERT_EQ(RecordCount(classroom.results()), recordsBefore + 1);
    const std::optional<ResultRecord> record = ReadRecord(classroom.results(), recordsBefore + 1);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->student, student);
    EXPECT_EQ(record->level, 1);
    EXPECT_EQ(record->result, 30);
    EXPECT_EQ(record->date, ToOleDay(rig.clock.current.date()));
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

} // namespace
