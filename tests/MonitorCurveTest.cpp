#include "control/MonitorCurve.h"

#include <gtest/gtest.h>

using namespace lumora;

namespace {

using Points = std::vector<std::pair<qint64, qint64>>;
using Limits = std::pair<qint64, qint64>;

struct CurveCase {
    const char* name;
    Points learned; // in this order
    Limits limits;  // set after the points, the maximum first
    Points keptPoints;
    Limits keptLimits;
    std::vector<qint64> luminances; // at levels 1, 15, 30, 45, 60, 90, 100
    qint64 monitorMaximum;
    bool reset; // at the end
};

CurveCase row(const char* name, Points learned, Limits limits, Points keptPoints, Limits keptLimits,
              std::vector<qint64> luminances, qint64 monitorMaximum = 100, bool reset = false) {
    return {name, learned, limits, keptPoints, keptLimits, luminances, monitorMaximum, reset};
}

const Points three = {{30, 20}, {60, 45}, {90, 80}};

TEST(MonitorCurveTest, FollowsPointsAndLimits) {
    const std::vector<CurveCase> cases = {
        row("identity", {}, {0, 100}, {}, {0, 100}, {1, 15, 30, 45, 60, 90, 100}),
        row("identityOnASmallMonitor", {}, {0, 50}, {}, {0, 50}, {1, 15, 30, 45, 50, 50, 50}, 50),
        row("pointsJoinedAndRunToTheEnds", three, {0, 100}, three, {0, 100},
            {1, 10, 20, 33, 45, 80, 100}),
        row("replacedAtTheSameLevel", {{30, 20}, {60, 45}, {60, 50}}, {0, 100},
            {{30, 20}, {60, 50}}, {0, 100}, {1, 10, 20, 35, 50, 88, 100}),
        row("contradictedPointsGo", {{30, 20}, {60, 45}, {90, 80}, {50, 70}, {80, 90}}, {0, 100},
            {{30, 20}, {50, 70}, {80, 90}}, {0, 100}, {1, 10, 20, 58, 77, 95, 100}),
        row("onlyLevels1To100AndTheMonitorsLuminances", {{0, 40}, {101, 40}, {50, 400}}, {0, 100},
            {{50, 100}}, {0, 100}, {2, 30, 60, 90, 100, 100, 100}),
        row("limitsClampTheIdentity", {}, {20, 80}, {}, {20, 80}, {20, 20, 30, 45, 60, 80, 80}),
        row("limitsStayInOrder", {}, {50, 30}, {}, {30, 30}, {30, 30, 30, 30, 30, 30, 30}),
        row("limitsStayOnTheMonitor", {}, {-5, 150}, {}, {0, 100}, {1, 15, 30, 45, 60, 90, 100}),
        row("pointsBeyondTheLimitsKeptButClamped", three, {25, 70}, three, {25, 70},
            {25, 25, 25, 33, 45, 70, 70}),
        row("resetKeepsTheLimits", three, {10, 100}, {}, {10, 100}, {10, 15, 30, 45, 60, 90, 100},
            100, true),
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorCurve curve(c.monitorMaximum);
        for (const auto& [level, luminance] : c.learned)
            curve.learn(level, luminance);
        curve.setMaximum(c.limits.second);
        curve.setMinimum(c.limits.first);
        if (c.reset)
            curve.reset();
        EXPECT_EQ(Points(curve.points().keyValueBegin(), curve.points().keyValueEnd()),
                  c.keptPoints);
        EXPECT_EQ(Limits(curve.minimum(), curve.maximum()), c.keptLimits);
        std::vector<qint64> luminances;
        for (const qint64 level : {1, 15, 30, 45, 60, 90, 100})
            luminances.push_back(curve.luminanceFor(level));
        EXPECT_EQ(luminances, c.luminances);
        EXPECT_EQ(curve.isDefault(),
                  c.keptPoints.empty() && c.keptLimits == Limits(0, c.monitorMaximum));
    }
}

} // namespace
