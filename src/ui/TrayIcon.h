#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace lumora {

class BrightnessController;

// Lumora's icon in the desktop's tray, the way back to a closed window. Activating it shows the
// window; its menu shows the window, switches following, opens the calibration and quits. The
// following entry's label is read from the controller whenever the menu opens; the icon keeps no
// state of its own.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    explicit TrayIcon(BrightnessController& controller, QObject* parent = nullptr);

signals:
    void showWindow();
    void calibrate();
    void quit();

private:
    void updateMenu();

    BrightnessController& m_controller;
    QMenu m_menu;
    QAction* m_follow;
    QSystemTrayIcon m_icon;
};

} // namespace lumora
