#include "BuildConfig.h"
#include "app/DBusInstance.h"
#include "app/LocalSocketInstance.h"
#include "app/LumoraApp.h"
#include "control/BrightnessController.h"
#include "platform/BacklightEvents.h"
#include "platform/LinuxBuiltinPanel.h"
#include "platform/MutterDisplayConfig.h"
#include "platform/SystemSleep.h"
#include "platform/TerminationSignals.h"
#include "platform/WaylandDesktopModes.h"
#include "platform/X11Displays.h"
#include "platform/XdgAutostart.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <cstdio>

namespace {

const QString applicationId = QStringLiteral("io.github.lumora.Lumora");

// The session bus where there is one; otherwise a socket in the user's runtime folder.
std::unique_ptr<lumora::SingleInstance> sessionInstance() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        return std::make_unique<lumora::DBusInstance>(bus, applicationId);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return std::make_unique<lumora::LocalSocketInstance>(QDir(folder).filePath(applicationId));
}

// What the login entry starts. Installed, the application lives in a private folder and PATH
// reaches it through a link: the entry names the command, "lumora" when PATH finds this very
// program. Run from a build, it names the build's binary.
QString loginCommand() {
    const QString self = QCoreApplication::applicationFilePath();
    const QString launcher =
        QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                            .filePath(QString::fromUtf8(lumora::build::launcher)));
    if (QFileInfo(launcher).canonicalFilePath() != self)
        return self;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("lumora"));
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self)
        return QStringLiteral("lumora");
    return launcher;
}

} // namespace

int main(int argc, char* argv[]) {
    // Only an X11 client can place its windows: in a Wayland session Lumora goes through XWayland
    // where it can, natively otherwise. A platform the user chose is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setDesktopFileName(QStringLiteral("lumora"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Following goes on with the window closed, as it does when Lumora starts at login.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before any controller exists: a second start only hands over to the first.
    std::unique_ptr<lumora::SingleInstance> instance = sessionInstance();
    const lumora::Result<lumora::SingleInstance::Claim, QString> claim = instance->claim();
    if (!claim.ok()) {
        std::fprintf(stderr, "lumora: %s\n", qPrintable(claim.failure()));
        return 1;
    }
    if (claim.value() == lumora::SingleInstance::Claim::HandedOver)
        return 0;

    lumora::TerminationSignals terminationSignals;
    // The desktop's display settings switch modes where the window system only emulates them:
    // GNOME's over D-Bus, KWin's or a wlroots compositor's over Wayland.
    std::unique_ptr<lumora::DesktopModes> desktopModes;
    if (lumora::MutterDisplayConfig::isOffered(QDBusConnection::sessionBus()))
        desktopModes = std::make_unique<lumora::MutterDisplayConfig>(QDBusConnection::sessionBus());
    else
        desktopModes = lumora::waylandDesktopModes();
    lumora::X11Displays displays(desktopModes.get(), QStringLiteral("/sys/class/drm"));
    lumora::XdgAutostart loginItem(loginCommand(), lumora::XdgAutostart::defaultFolder());
    // Whether the laptop's panel is lit: a closed lid's backlight reading is not the user's level.
    lumora::SystemSleep sleep(QDBusConnection::systemBus());
    lumora::LinuxBuiltinPanel panel(displays, QStringLiteral("/sys/class/drm"),
                                    QDBusConnection::systemBus(), sleep);
    lumora::LumoraApp lumora(lumora::ControllerConfig::standard(), displays, loginItem);
    // The controller exists, and knows the panel, before anything can ask for a window.
    lumora.controller().setBuiltinPanel(panel);
    QObject::connect(instance.get(), &lumora::SingleInstance::activated,
                     [&] { lumora.showWindow(); });
    QObject::connect(&terminationSignals, &lumora::TerminationSignals::received,
                     [&] { lumora.quit(); });
    // Where the kernel announces brightness changes, following reacts at once; the poll stays.
    const std::unique_ptr<lumora::BacklightEvents> events =
        lumora::BacklightEvents::forBacklight("/sys/class/backlight");
    if (events) {
        QObject::connect(events.get(), &lumora::BacklightEvents::changed, &lumora.controller(),
                         &lumora::BrightnessController::builtinBrightnessChanged);
        QObject::connect(events.get(), &lumora::BacklightEvents::stopped, [] {
            std::fputs("Lumora：背光变化事件已停止，改为每 0.2 秒读取一次亮度\n", stderr);
        });
    }
    std::fputs(events ? "Lumora：使用背光变化事件，亮度一变即跟随\n"
                      : "Lumora：没有背光变化事件，每 0.2 秒读取一次亮度\n",
               stderr);

    QObject::connect(&sleep, &lumora::SystemSleep::resumed, &lumora.controller(),
                     &lumora::BrightnessController::systemResumed);

    std::unique_ptr<lumora::TrayIcon> tray;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray = std::make_unique<lumora::TrayIcon>(lumora.controller());
        QObject::connect(tray.get(), &lumora::TrayIcon::showWindow, [&] { lumora.showWindow(); });
        QObject::connect(tray.get(), &lumora::TrayIcon::calibrate,
                         [&] { lumora.showCalibration(); });
        QObject::connect(tray.get(), &lumora::TrayIcon::quit, [&] { lumora.quit(); });
    }

    lumora.showWindow();
    const int status = QApplication::exec();
    lumora.shutDown();
    return status;
}
