#include "control/ControlError.h"

namespace lumora {

ControlError::ControlError(Kind kind, QString payload, int exitStatus)
    : m_kind(kind), m_payload(std::move(payload)), m_exitStatus(exitStatus) {}

ControlError ControlError::commandFailed(QString message, int exitStatus) {
    return {Kind::CommandFailed, std::move(message), exitStatus};
}

ControlError ControlError::invalidResponse(QString text) {
    return {Kind::InvalidResponse, std::move(text), 0};
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
