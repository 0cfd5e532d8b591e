#include "ui/CalibrationWindow.h"
#include "style/Theme.h"
#include "support/Printers.h"
#include "ui/CurveGeometry.h"
#include "ui/CurvePlot.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace lumora;

namespace {

QPalette namedPalette(const std::string& name) {
    if (name == "light")
        return QApplication::style()->standardPalette();
    QPalette dark(QColor(60, 60, 62), QColor(30, 30, 32));
    dark.setColor(QPalette::Highlight, theme::accent());
    return dark;
}

// Where a person can look at what was drawn.
QString screenshot(const std::string& name) {
    const QString folder = qEnvironmentVariableIsEmpty("LUMORA_SCREENSHOT_DIR")
                               ? QStringLiteral(LUMORA_SCREENSHOTS)
                               : qEnvironmentVariable("LUMORA_SCREENSHOT_DIR");
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("calibration-%1.png").arg(name.c_str()));
}

QList<CalibrationEntry> entries(qint64 minimum) {
    MonitorCurve learned;
    learned.learn(30, 20);
    learned.learn(60, 45);
    learned.learn(90, 80);
    learned.setMinimum(minimum);
    MonitorCurve bounded(255);
    bounded.setMaximum(200);
    return {{"DELL U2720Q", learned, true}, {"LG 27UL850", bounded, false}};
}

class CalibrationWindowTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { QApplication::setPalette(namedPalette(GetParam())); }
    void TearDown() override { QApplication::setPalette(QApplication::style()->standardPalette()); }
};

TEST_P(CalibrationWindowTest, DrawsTheCurveAndReportsEdits) {
    CalibrationWindow window;
    window.showEntries(entries(10), 40);
    window.resize(600, 760);
    window.show();
    EXPECT_EQ(window.windowTitle(), "校准");
    ASSERT_TRUE(window.grab().save(screenshot(GetParam())));

    QWidget* section = window.findChild<QWidget*>("monitor-0");
    ASSERT_NE(section, nullptr);
    auto* plot = section->findChild<CurvePlot*>("plot");
    const QImage image = plot->grab().toImage();
    const QRectF area = curveplot::area(plot->size());
    const auto pixel = [&](double level, double luminance, int below) {
        const QPointF spot = curveplot::position(area, level, luminance, 100) + QPointF(0, below);
        const QPointF pixel = spot * image.devicePixelRatio();
        return QColor(image.pixel(int(pixel.x()), int(pixel.y()))).name();
    };
    for (const auto& [level, luminance] : {std::pair(30, 20), {60, 45}, {90, 80}}) {
        EXPECT_EQ(pixel(level, luminance, 0), theme::accent().name()) << level;
        EXPECT_EQ(pixel(level, luminance, 2), theme::accent().name()) << "a dot, not only the line";
    }
    EXPECT_NE(pixel(45, 33, 2), theme::accent().name()) << "no dot where nothing was learned";
    EXPECT_NE(pixel(40, 95, 0), pixel(42, 95, 0)) << "a line at the current level";

    auto* minimum = section->findChild<QSpinBox*>("minimum");
    EXPECT_EQ(minimum->value(), 10);
    EXPECT_EQ(section->findChild<QSpinBox*>("maximum")->value(), 100);
    EXPECT_TRUE(section->findChild<QCheckBox*>("learning")->isChecked());
    QWidget* other = window.findChild<QWidget*>("monitor-1");
    EXPECT_FALSE(other->findChild<QCheckBox*>("learning")->isChecked());
    EXPECT_FALSE(other->findChild<QPushButton*>("reset")->isEnabled()) << "nothing to reset";

    QSignalSpy minimumChanged(&window, &CalibrationWindow::minimumChanged);
    QSignalSpy learningChanged(&window, &CalibrationWindow::learningChanged);
    QSignalSpy resetRequested(&window, &CalibrationWindow::resetRequested);
    minimum->selectAll();
    QTest::keyClicks(minimum, "25");
    QTest::keyClick(minimum, Qt::Key_Return);
    window.showEntries(entries(30), 40);
    other->findChild<QCheckBox*>("learning")->click();
    section->findChild<QPushButton*>("reset")->click();
    EXPECT_EQ(minimumChanged, QList<QVariantList>({{0, qint64(25)}}))
        << "once for the number typed, not for showing one";
    EXPECT_EQ(learningChanged, QList<QVariantList>({{1, true}}));
    EXPECT_EQ(resetRequested, QList<QVariantList>({{0}}));
    EXPECT_EQ(minimum->value(), 30) << "shows what it is given";
}

INSTANTIATE_TEST_SUITE_P(Palettes, CalibrationWindowTest, ::testing::Values("light", "dark"));

} // namespace
