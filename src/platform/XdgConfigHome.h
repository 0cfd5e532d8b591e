#pragma once

#include <QString>

namespace lumora {

// The user's configuration folder by the XDG base directory rules: $XDG_CONFIG_HOME where it is
// an absolute path (a relative one is invalid and ignored), else ~/.config.
QString xdgConfigHome();

} // namespace lumora
