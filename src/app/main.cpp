#include "app/LumoraApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    lumora::LumoraApp lumora(lumora::ControllerConfig::standard());
    lumora.openWindow()->show();
    return QApplication::exec();
}
