#include "app/LumoraApp.h"

#include "app/StartupTask.h"
#include "control/BrightnessController.h"
#include "ui/ContentView.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QShortcut>

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
