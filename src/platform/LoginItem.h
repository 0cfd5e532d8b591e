#pragma once

#include "base/Result.h"

#include <QString>

namespace lumora {

// This application as an item started when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    // Whether the application is registered and will start at the next login.
    virtual bool isEnabled() const = 0;
    // Registers the application; on failure, the platform's readable reason.
    virtual Result<void, QString> registerApp() = 0;
};

} // namespace lumora
