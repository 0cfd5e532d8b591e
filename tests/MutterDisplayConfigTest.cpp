#include "platform/MutterDisplayConfig.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <cstdio>
#include <gtest/gtest.h>

using namespace lumora;
using lumora::test::PrivateBus;

// What mutter sends that it should not: no answer, a state without a layout mode.
namespace {

// A mutter that takes the calls and never answers: its object lives on the thread the calls
// block.
class SilentMutter : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.DisplayConfig")

public slots:
    void GetCurrentState() {}
};

TEST(MutterDisplayConfigTest, AMutterThatDoesNotAnswerFailsSoon) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection mutterSide = QDBusConnection::connectToBus(bus.address(), "mutter");
    SilentMutter silent;
    ASSERT_TRUE(mutterSide.registerService("org.gnome.Mutter.DisplayConfig"));
    ASSERT_TRUE(mutterSide.registerObject("/org/gnome/Mutter/DisplayConfig", &silent,
                                          QDBusConnection::ExportAllSlots));
    MutterDisplayConfig mutter(QDBusConnection::connectToBus(bus.address(), "lumora"));

    // What a wake asks: the mode, the modes, a switch and the switch back.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(mutter.currentMode("Meta-0"), std::nullopt) << "the wake skips the monitor";
    EXPECT_EQ(mutter.allModes("Meta-0"), QList<DisplayMode>());
    const Result<void, QString> set = mutter.setMode("Meta-0", DisplayMode{});
    ASSERT_FALSE(set.ok());
    EXPECT_TRUE(set.failure().startsWith("GNOME 的显示设置没有回答")) << qPrintable(set.failure());
    EXPECT_FALSE(mutter.setMode("Meta-0", DisplayMode{}).ok());
    EXPECT_LT(clock.elapsed(), 25'000) << "not D-Bus's 25 s for each call";
    std::printf("a wake's questions to a silent mutter held the thread %lld ms\n", clock.elapsed());
    QDBusConnection::disconnectFromBus("lumora");
    QDBusConnection::disconnectFromBus("mutter");
}

TEST(MutterDisplayConfigTest, TheLayoutModeGoesBackAsMutterGaveIt) {
    const QString supports = "supports-changing-layout-mode";
    const struct {
        const char* name;
        QVariantMap state;
        QVariantMap applied;
    } rows[] = {
        {"logical", {{supports, true}, {"layout-mode", 1u}}, {{"layout-mode", 1u}}},
        {"physical", {{supports, true}, {"layout-mode", 2u}}, {{"layout-mode", 2u}}},
        {"missing", {{supports, true}}, {}},
        {"not to be changed", {{supports, false}, {"layout-mode", 1u}}, {}},
        {"nothing said", {}, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MutterDisplayConfig::appliedProperties(row.state), row.applied) << row.name;
}

} // namespace

#include "MutterDisplayConfigTest.moc"
