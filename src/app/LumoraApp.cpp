#include "app/LumoraApp.h"

#include "app/StartupTask.h"
#include "control/BrightnessController.h"
#include "ui/CalibrationWindow.h"
#include "ui/ContentView.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QShortcut>
#include <QTimer>
#include <memory>

namespace lumora {

LumoraApp::LumoraApp(ControllerConfig config, Displays& displays, LoginItem& loginItem)
    : m_config(std::move(config)), m_displays(displays), m_loginItem(loginItem) {}

LumoraApp::~LumoraApp() = default;

BrightnessController& LumoraApp::controller() {
    if (!m_controller)
        m_controller = std::make_unique<BrightnessController>(m_config, m_displays, m_loginItem);
    return *m_controller;
}

QWidget* LumoraApp::openWindow() {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Lumora"));

    // No explicit minimum on the window: its layout sets it from the content's own minimum, so
    // nothing is cut or overlaps, and a spacer in the same cell keeps it from going below the
    // floor. The content keeps its natural height, centred in a taller window, and the full width.
    auto* layout = new QGridLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addItem(new QSpacerItem(minimumContentSize.width(), minimumContentSize.height(),
                                    QSizePolicy::Minimum, QSizePolicy::Minimum),
                    0, 0);
    auto* content = new ContentView(controller(), window);
    QObject::connect(content, &ContentView::calibrationRequested, window,
                     [this] { showCalibration(); });
    new StartupTask(controller(), content);
    layout->addWidget(content, 0, 0, Qt::AlignVCenter);

    auto* quitShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    QObject::connect(quitShortcut, &QShortcut::activated, window, [this] { quit(); });
    m_window = window;
    return window;
}

void LumoraApp::showWindow() {
    if (!m_window)
        openWindow();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void LumoraApp::showCalibration() {
    if (!m_calibration)
        m_calibration = openCalibration();
    m_calibration->show();
    m_calibration->raise();
    m_calibration->activateWindow();
}

CalibrationWindow* LumoraApp::openCalibration() {
    auto* window = new CalibrationWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    BrightnessController& shown = controller();
    // The window's sections are the places a monitor holds now, in order.
    auto places = std::make_shared<QList<qsizetype>>();
    auto renderPending = std::make_shared<bool>(false);
    const auto render = [window, &shown, places, renderPending] {
        *renderPending = false;
        places->clear();
        QList<CalibrationEntry> entries;
        for (qsizetype index = 0; index < shown.monitors().size(); ++index) {
            if (!shown.monitors()[index].isConnected)
                continue;
            places->append(index);
            entries.append({.name = shown.monitors()[index].name,
                            .curve = shown.curve(index),
                            .learning = shown.isLearning(index)});
        }
        window->showEntries(entries, shown.followedLevel());
    };
    render();
    // Several writes in a row come to one render, once they are done.
    QObject::connect(&shown, &BrightnessController::objectWillChange, window,
                     [render, renderPending] {
                         if (std::exchange(*renderPending, true))
                             return;
                         QTimer::singleShot(0, render);
                     });
    QObject::connect(window, &CalibrationWindow::minimumChanged, &shown,
                     [&shown, places](int monitor, qint64 luminance) {
                         shown.setCurveMinimum(places->value(monitor, -1), luminance);
                     });
    QObject::connect(window, &CalibrationWindow::maximumChanged, &shown,
                     [&shown, places](int monitor, qint64 luminance) {
                         shown.setCurveMaximum(places->value(monitor, -1), luminance);
                     });
    QObject::connect(window, &CalibrationWindow::learningChanged, &shown,
                     [&shown, places](int monitor, bool isLearning) {
                         shown.setLearning(places->value(monitor, -1), isLearning);
                     });
    QObject::connect(
        window, &CalibrationWindow::resetRequested, &shown,
        [&shown, places](int monitor) { shown.resetCurve(places->value(monitor, -1)); });
    return window;
}

void LumoraApp::quit() {
    if (m_controller)
        m_controller->stopForQuit();
    // exit(), not quit(): it ends every running event loop at once, a tool's wait included.
    QCoreApplication::exit(0);
}

void LumoraApp::shutDown() {
    if (m_controller)
        m_controller->shutDown();
}

} // namespace lumora
