#include "ui/TrayIcon.h"

#include "control/BrightnessController.h"
#include "style/Icons.h"
#include "style/Theme.h"

namespace lumora {

TrayIcon::TrayIcon(BrightnessController& controller, QObject* parent)
    : QObject(parent), m_controller(controller) {
    connect(m_menu.addAction(QStringLiteral("显示窗口")), &QAction::triggered, this,
            &TrayIcon::showWindow);
    m_follow = m_menu.addAction(QString());
    m_follow->setObjectName(QStringLiteral("follow"));
    connect(m_follow, &QAction::triggered, this, [this] {
        if (!m_controller.isWorking())
            m_controller.toggleAutoSync();
    });
    connect(m_menu.addAction(QStringLiteral("校准")), &QAction::triggered, this,
            &TrayIcon::calibrate);
    m_menu.addSeparator();
    connect(m_menu.addAction(QStringLiteral("退出 Lumora")), &QAction::triggered, this,
            &TrayIcon::quit);
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayIcon::updateMenu);
    updateMenu();

    m_icon.setIcon(
        QIcon::fromTheme(QStringLiteral("lumora"), QIcon(icons::sun(64, theme::yellow()))));
    m_icon.setToolTip(QStringLiteral("Lumora"));
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason != QSystemTrayIcon::Context)
                    emit showWindow();
            });
    m_icon.show();
}

void TrayIcon::updateMenu() {
    // Menu clicks come over the bus, not as input, so a tool's wait does not hold them back.
    m_follow->setEnabled(!m_controller.isWorking());
    m_follow->setText(m_controller.isAutoSyncing() ? QStringLiteral("暂停自动同步")
                                                   : QStringLiteral("开启 F1/F2 自动同步"));
}

} // namespace lumora
