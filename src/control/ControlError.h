#pragma once

#include <QString>

namespace lumora {

// The controller's own error: a tool that exited unsuccessfully, or an answer that is not a
// luminance value.
class ControlError {
public:
    enum class Kind { CommandFailed, InvalidResponse };

    // `exitStatus` is the tool's own: our DDC tools say 3 for a monitor they cannot find.
    static ControlError commandFailed(QString message, int exitStatus = 1);
    static ControlError invalidResponse(QString text);

    Kind kind() const { return m_kind; }
    const QString& payload() const { return m_payload; }
    int exitStatus() const { return m_exitStatus; }
    QString errorDescription() const;

    bool operator==(const ControlError&) const = default;

private:
    ControlError(Kind kind, QString payload, int exitStatus);

    Kind m_kind;
    QString m_payload;
    int m_exitStatus;
};

} // namespace lumora
