#include "widgets/StartupScreen.h"

#include "core/Dates.h"
#include "core/Events.h"
#include "core/ProgramState.h"
#include "core/Seeding.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <cmath>

QString PrepareStartUp(ProgramState& state) {
    Clock& clock = *state.platform.clock;
    state.platform.random->seed(FreshSeed(clock));
    const QDateTime now = clock.now();
    state.SeasonColor = SeasonColorForMonth(now.date().month());
    return FormatEraDate(now);
}

QPixmap MakeStartUpPicture(const QSize& size) {
    // Twice the pixels, so that the picture stays sharp when the window draws
    // the screens larger than their design.
    constexpr qreal kDetail = 2;
    QPixmap picture(size * kDetail);
    picture.setDevicePixelRatio(kDetail);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(1, QColor(150, 210, 240));
    painter.fillRect(QRect(QPoint(0, 0), size), sky);
    // Rings of circles with their diameters and radii: the drill's own figures.
    const QPointF centre(size.width() / 2.0, size.height() * 0.42);
    for (int i = 0; i < 12; ++i) {
        const double angle = i * M_PI / 6;
        const double r = 40 + 12 * (i % 3);
        const QPointF c = centre + QPointF(std::cos(angle) * 260, std::sin(angle) * 170);
        painter.setPen(QPen(QColor(255, 255, 255, 200), 3));
        painter.setBrush(QColor(255, 255, 255, 40));
        painter.drawEllipse(c, r, r);
        painter.setPen(QPen(QColor(255, 230, 120), 3));
        if (i % 2 == 0)
            painter.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        else
            painter.drawLine(c, c + QPointF(r, 0));
    }
    painter.setPen(QPen(Qt::white, 6));
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawEllipse(centre, 120, 120);
    painter.setPen(QPen(QColor(255, 230, 120), 6));
    painter.drawLine(centre - QPointF(120, 0), centre + QPointF(120, 0));
    return picture;
}

StartupScreen::StartupScreen(ProgramState& state, QWidget* parent)
    : Screen(state, parent), picture_(new QLabel(this)), label1_(new QLabel(this)),
      label5_(new QLabel(this)), timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("Firstfrm"));
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setGeometry(0, 0, kWindowWidth, kWindowHeight);
    picture_->setPixmap(MakeStartUpPicture(QSize(kWindowWidth, kWindowHeight)));

    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setText(QStringLiteral("Just a moment, please."));
    label1_->setGeometry(0, 560, kWindowWidth, 60);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setStyleSheet(QStringLiteral("color: white; font-size: 32pt; font-weight: bold;"));

    label5_->setObjectName(QStringLiteral("Label5"));
    label5_->setGeometry(0, 640, kWindowWidth, 50);
    label5_->setAlignment(Qt::AlignCenter);
    label5_->setStyleSheet(QStringLiteral("color: white; font-size: 22pt;"));

    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(100);
    connect(timer1_, &QTimer::timeout, this, &StartupScreen::timerFired);
}

void StartupScreen::load() {
    show();
    LetEventsRun();
    label5_->setText(PrepareStartUp(state_));
    LetEventsRun();
    timer1_->start();
}

void StartupScreen::timerFired() {
    // Off first: the hand-over may take longer than the interval.
    timer1_->stop();
    if (handOver_) handOver_();
}
