#include "hud/HUDModel.h"

namespace lumora {

void HUDModel::setTitle(const QString& title) {
    m_title = title;
    emit changed();
}

void HUDModel::setLevel(double level) {
    m_level = level;
    emit changed();
}

} // namespace lumora
