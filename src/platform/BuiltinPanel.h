#pragma once

#include <QObject>

namespace lumora {

// Whether the computer's own panel is lit. A dark panel (lid closed, switched off in the display
// settings, blanked, the computer asleep) may read any backlight level, 0 most often: that level
// is not the user's.
//
// changed() fires on the main thread when isKnownOff() has come to answer differently.
class BuiltinPanel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // True only when the panel is known to be dark, answered for the moment of asking; false
    // while it is lit and wherever it cannot be told (no panel, a virtual machine).
    virtual bool isKnownOff() const = 0;

signals:
    void changed();
};

} // namespace lumora
