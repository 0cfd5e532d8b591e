#include "platform/DrmEdid.h"
#include "platform/WaylandOutputs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace lumora;

// How an XWayland output finds its connector and its monitor's EDID again.
namespace {

TEST(CompositorIdentityTest, AnOutputIsFoundByItsPlace) {
    const QList<wayland::Output> outputs{
        {.name = "HDMI-A-1", .logical = {1920, 0, 1280, 720}, .physical = {1920, 0, 2560, 1440}},
        {.name = "DP-1", .logical = {0, 0, 1920, 1080}, .physical = {0, 0, 1920, 1080}},
        {.name = "eDP-1", .logical = {0, 0, 1920, 1080}, .physical = {0, 0, 1920, 1080}},
        {.name = "", .logical = {5000, 0, 800, 600}, .physical = {5000, 0, 800, 600}},
    };
    EXPECT_EQ(wayland::connectorAt({1920, 0, 1280, 720}, outputs), "HDMI-A-1") << "logical";
    EXPECT_EQ(wayland::connectorAt({1920, 0, 2560, 1440}, outputs), "HDMI-A-1") << "physical";
    EXPECT_EQ(wayland::connectorAt({0, 0, 1920, 1080}, outputs), "eDP-1") << "mirrored: the panel";
    EXPECT_EQ(wayland::connectorAt({5000, 0, 800, 600}, outputs), std::nullopt) << "unnamed";
    EXPECT_EQ(wayland::connectorAt({1, 0, 1920, 1080}, outputs), std::nullopt);
}

TEST(CompositorIdentityTest, FramesNearTheIntLimitsAreBounded) {
    constexpr int big = std::numeric_limits<int>::max();
    constexpr int small = std::numeric_limits<int>::min();
    constexpr int limit = 1 << 24;
    const struct {
        const char* name;
        int sent[4]; // x, y, width, height: no QRect, whose own arithmetic would overflow
        QRect bounded;
    } rows[] = {
        {"ordinary", {2560, 0, 1920, 1080}, {2560, 0, 1920, 1080}},
        {"at the end", {big, big, big, big}, {limit, limit, limit, limit}},
        {"at the start", {small, small, small, small}, {-limit, -limit, 0, 0}},
        {"negative size", {0, 0, -5, -1}, {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        const auto [x, y, width, height] = row.sent;
        const QRect frame = wayland::boundedFrame(x, y, width, height);
        EXPECT_EQ(frame, row.bounded) << row.name;
        EXPECT_EQ(frame.right(), row.bounded.x() + row.bounded.width() - 1) << row.name;
    }
}

TEST(CompositorIdentityTest, TheEdidComesFromTheOneCardWithAMonitorOnTheConnector) {
    QTemporaryDir drm;
    const auto connector = [&](const QString& entry, const QByteArray& status,
                               const QByteArray& edid) {
        QDir(drm.path()).mkpath(entry);
        for (const auto& [name, bytes] : {std::pair{"status", status}, std::pair{"edid", edid}}) {
            QFile file(QDir(drm.path()).filePath(entry + "/" + name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    };
    connector("card0-HDMI-A-1", "connected\n", "first");
    connector("card1-HDMI-A-1", "disconnected\n", "");
    connector("card0-DP-1", "connected\n", "second");
    connector("card1-DP-1", "connected\n", "third");
    connector("card0-eDP-1", "connected\n", "panel");

    EXPECT_EQ(drm::connectorEdid(drm.path(), "HDMI-A-1"), "first");
    EXPECT_EQ(drm::connectorEdid(drm.path(), "DP-1"), "") << "two cards: unknown which";
    EXPECT_EQ(drm::connectorEdid(drm.path(), "eDP-1"), "panel") << "not taken for DP-1";
    EXPECT_EQ(drm::connectorEdid(drm.path(), "VGA-1"), "");
    EXPECT_EQ(drm::connectorEdid(drm.path(), "../card0-DP-1"), "");
}

} // namespace
