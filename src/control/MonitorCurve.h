#pragma once

#include <QMap>

namespace lumora {

// How one monitor's luminance follows the built-in display's level, learned from the user's own
// corrections. Until it learns a point it gives the level itself as the luminance, as Lumora
// always did. Learned points are joined by straight lines, and beyond them the curve runs to the
// minimum at level 0 and to the maximum at level 100. It never falls as the level rises, and its
// luminance is always held within the limits.
class MonitorCurve {
public:
    // `monitorMaximum` is the largest luminance the monitor takes, as it reports it.
    explicit MonitorCurve(qint64 monitorMaximum = 100);

    // The luminance for a built-in level of 1 to 100 (a level beyond counts as the nearer end).
    // Level 0 switches the backlight off, which is the caller's business, not the curve's.
    qint64 luminanceFor(qint64 level) const;
    // The same before rounding, for drawing the curve.
    double exactLuminanceFor(double level) const;

    // Takes `luminance` (held within 0 and the monitor's maximum) as the one for `level`, in place
    // of any point at that level and of the points that would make the curve fall. Levels outside
    // 1 to 100 are ignored.
    void learn(qint64 level, qint64 luminance);
    // Forgets the points and keeps the limits.
    void reset();

    // Each limit is held within 0 and the monitor's maximum and on its side of the other.
    void setMinimum(qint64 luminance);
    void setMaximum(qint64 luminance);

    qint64 minimum() const { return m_minimum; }
    qint64 maximum() const { return m_maximum; }
    qint64 monitorMaximum() const { return m_monitorMaximum; }
    // Level to luminance, as learned; points beyond the limits are kept, though never reached.
    const QMap<qint64, qint64>& points() const { return m_points; }

    // No points and open limits: nothing a user changed.
    bool isDefault() const;

    bool operator==(const MonitorCurve&) const = default;

private:
    qint64 m_monitorMaximum;
    qint64 m_minimum = 0;
    qint64 m_maximum;
    QMap<qint64, qint64> m_points;
};

} // namespace lumora
