#include "control/MonitorCurve.h"

#include <QtGlobal>
#include <cmath>

namespace lumora {

namespace {

constexpr qint64 lowestLevel = 1;
constexpr qint64 highestLevel = 100;

struct Corner {
    double level;
    double luminance;
};

} // namespace

MonitorCurve::MonitorCurve(qint64 monitorMaximum)
    : m_monitorMaximum(qMax<qint64>(monitorMaximum, 0)), m_maximum(m_monitorMaximum) {}

qint64 MonitorCurve::luminanceFor(qint64 level) const {
    return std::llround(exactLuminanceFor(double(level)));
}

double MonitorCurve::exactLuminanceFor(double level) const {
    level = qBound(double(lowestLevel), level, double(highestLevel));
    if (m_points.isEmpty())
        return qBound(double(m_minimum), level, double(m_maximum));
    // The corners on either side: learned points, or the limits' ends at levels 0 and 100.
    const auto above = m_points.lowerBound(qint64(std::ceil(level)));
    const Corner from = above == m_points.begin() ? Corner{0, double(m_minimum)}
                                                  : Corner{double(std::prev(above).key()),
                                                           double(std::prev(above).value())};
    const Corner to = above == m_points.end() ? Corner{double(highestLevel), double(m_maximum)}
                                              : Corner{double(above.key()), double(above.value())};
    const double share = (level - from.level) / (to.level - from.level);
    return qBound(double(m_minimum), from.luminance + share * (to.luminance - from.luminance),
                  double(m_maximum));
}

void MonitorCurve::learn(qint64 level, qint64 luminance) {
    if (level < lowestLevel || level > highestLevel)
        return;
    luminance = qBound<qint64>(0, luminance, m_monitorMaximum);
    m_points.removeIf([&](const auto& point) {
        return (point.key() < level && point.value() > luminance) ||
               (point.key() > level && point.value() < luminance);
    });
    m_points.insert(level, luminance);
}

void MonitorCurve::reset() {
    m_points.clear();
}

void MonitorCurve::setMinimum(qint64 luminance) {
    m_minimum = qBound<qint64>(0, luminance, m_maximum);
}

void MonitorCurve::setMaximum(qint64 luminance) {
    m_maximum = qBound(m_minimum, luminance, m_monitorMaximum);
}

bool MonitorCurve::isDefault() const {
    return m_points.isEmpty() && m_minimum == 0 && m_maximum == m_monitorMaximum;
}

} // namespace lumora
