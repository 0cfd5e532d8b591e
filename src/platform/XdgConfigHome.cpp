#include "platform/XdgConfigHome.h"

#include <QDir>

namespace lumora {

QString xdgConfigHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(configured) ? configured
                                            : QDir::homePath() + QStringLiteral("/.config");
}

} // namespace lumora
