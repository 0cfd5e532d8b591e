#include "control/ControlError.h"

namespace lumora {

ControlError::ControlError(Kind kind, QString payload)
    : m_kind(kind), m_payload(std::move(payload)) {}

ControlError ControlError::commandFailed(QString message) {
    return {Kind::CommandFailed, std::move(message)};
}

ControlError ControlError::invalidResponse(QString text) {
    return {Kind::InvalidResponse, std::move(text)};
}

QString ControlError::errorDescription() const {
    switch (m_kind) {
    case Kind::CommandFailed:
        return m_payload;
    case Kind::InvalidResponse:
        return QStringLiteral("显示器返回了无效亮度值：") + m_payload;
    }
    return m_payload;
}

} // namespace lumora
