#include "app/LumoraApp.h"
#include "control/BrightnessController.h"
#include "platform/BacklightEvents.h"
#include "platform/MutterDisplayConfig.h"
#include "platform/X11Displays.h"
#include "platform/XdgAutostart.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Only an X11 client can place its windows: in a Wayland session Lumora goes through XWayland
    // where it can, natively otherwise. A platform the user chose is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Following goes on with the window closed, as it does when Lumora starts at login.
    QApplication::setQuitOnLastWindowClosed(false);

    // GNOME's display settings switch modes where the window system only emulates them.
    std::unique_ptr<lumora::MutterDisplayConfig> desktopModes;
    if (lumora::MutterDisplayConfig::isOffered(QDBusConnection::sessionBus()))
        desktopModes = std::make_unique<lumora::MutterDisplayConfig>(QDBusConnection::sessionBus());
    lumora::X11Displays displays(desktopModes.get(), QStringLiteral("/sys/class/drm"));
    lumora::XdgAutostart loginItem(QCoreApplication::applicationFilePath(),
                                   lumora::XdgAutostart::defaultFolder());
    lumora::LumoraApp lumora(lumora::ControllerConfig::standard(), displays, loginItem);
    // Where the kernel announces brightness changes, following reacts at once; the poll stays.
    const std::unique_ptr<lumora::BacklightEvents> events =
        lumora::BacklightEvents::forBacklight("/sys/class/backlight");
    if (events) {
        QObject::connect(events.get(), &lumora::BacklightEvents::changed, &lumora.controller(),
                         &lumora::BrightnessController::builtinBrightnessChanged);
    }
    std::fputs(events ? "Lumora：使用背光变化事件，亮度一变即跟随\n"
                      : "Lumora：没有背光变化事件，每 0.2 秒读取一次亮度\n",
               stderr);
    lumora.openWindow()->show();
    return QApplication::exec();
}
