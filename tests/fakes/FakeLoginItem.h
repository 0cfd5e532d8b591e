#pragma once

#include "platform/LoginItem.h"

namespace lumora::test {

// A login item that counts registrations and fails them with `refusal` when one is set.
class FakeLoginItem : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    Result<void, QString> registerApp() override {
        ++registrations;
        if (refusal)
            return *refusal;
        enabled = true;
        return {};
    }

    bool enabled = false;
    std::optional<QString> refusal;
    int registrations = 0;
};

} // namespace lumora::test
