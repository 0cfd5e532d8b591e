#pragma once

#include <QString>

namespace lumora {

// The controller's own error: a tool that exited unsuccessfully, or an answer that is not a
// luminance value.
class ControlError {
public:
    enum class Kind { CommandFailed, InvalidResponse };

    static ControlError commandFailed(QString message);
    static ControlError invalidResponse(QString text);

    Kind kind() const { return m_kind; }
    const QString& payload() const { return m_payload; }
    QString errorDescription() const;

    bool operator==(const ControlError&) const = default;

private:
    ControlError(Kind kind, QString payload);

    Kind m_kind;
    QString m_payload;
};

} // namespace lumora
