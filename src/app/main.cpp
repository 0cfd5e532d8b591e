#include "app/LumoraApp.h"
#include "platform/X11Displays.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    lumora::X11Displays displays;
    lumora::LumoraApp lumora(lumora::ControllerConfig::standard(), displays);
    lumora.openWindow()->show();
    return QApplication::exec();
}
