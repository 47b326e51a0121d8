#include "app/busyindicator.h"

#include <QPainter>
#include <QTimer>

#include <cmath>
#include <numbers>

namespace velun {
namespace {
constexpr int kSpokes = 12;
constexpr int kStepMs = 80;
const QColor kSpokeColour(0xF2, 0x8C, 0x28);
} // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
    hide();
}

void BusyIndicator::start()
{
    show();
    if (!m_timer->isActive())
        m_timer->start();
}

void BusyIndicator::stop()
{
    m_timer->stop();
    hide();
}

bool BusyIndicator::isRunning() const
{
    return m_timer->isActive();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal outer = side / 2.0 - 1.0;
    const qreal inner = outer * 0.45;
    QPen pen(kSpokeColour, std::max(1.5, side / 10.0), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is solid; the ones behind it fade out.
        const int age = (m_step - i + kSpokes) % kSpokes;
        QColor c = kSpokeColour;
        c.setAlphaF(1.0f - 0.8f * static_cast<float>(age) / (kSpokes - 1));
        pen.setColor(c);
        painter.setPen(pen);
        const qreal angle = 2.0 * std::numbers::pi * i / kSpokes - std::numbers::pi / 2.0;
        painter.drawLine(QPointF(inner * std::cos(angle), inner * std::sin(angle)),
                         QPointF(outer * std::cos(angle), outer * std::sin(angle)));
    }
}

} // namespace velun
