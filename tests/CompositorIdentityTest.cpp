#include "platform/DrmEdid.h"
#include "platform/WaylandOutputs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
