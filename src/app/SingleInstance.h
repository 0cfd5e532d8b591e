#pragma once

#include "base/Result.h"

#include <QObject>
#include <QString>

namespace lumora {

// This application as the one instance of the user's session. The first start owns the session's
// claim for as long as it runs; a later start hands over to it and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        ThisProcess, // this process is the session's instance: it goes on to create the controller
        HandedOver,  // another one runs and has been asked to show its window
    };

    // Claims the session atomically, so two starts at the same moment end with one owner; when
    // another process owns it, asks that one to show its window. Fails with a readable reason
    // when neither can be done.
    virtual Result<Claim, QString> claim() = 0;

signals:
    // A later start asked this instance to show its window.
    void activated();
};

} // namespace lumora
