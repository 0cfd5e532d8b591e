#include "app/LumoraApp.h"
#include "platform/X11Displays.h"
#include "platform/XdgAutostart.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Following goes on with the window closed, as it does when Lumora starts at login.
    QApplication::setQuitOnLastWindowClosed(false);

    lumora::X11Displays displays;
    lumora::XdgAutostart loginItem(QCoreApplication::applicationFilePath(),
                                   lumora::XdgAutostart::defaultFolder());
    lumora::LumoraApp lumora(lumora::ControllerConfig::standard(), displays, loginItem);
    lumora.openWindow()->show();
    return QApplication::exec();
}
