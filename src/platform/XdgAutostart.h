#pragma once

#include "platform/LoginItem.h"

#include <QString>

namespace lumora {

// Login item of the freedesktop desktops: an autostart entry, lumora.desktop, in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart).
class XdgAutostart : public LoginItem {
public:
    // `executable` is the program the entry starts; `folder` the autostart folder.
    XdgAutostart(QString executable, QString folder);
    static QString defaultFolder();

    bool isEnabled() const override;
    Result<void, QString> registerApp() override;

    QString entryPath() const;

    // The Exec value that starts `program`, quoted and escaped as desktop entries require.
    static QString execValue(const QString& program);
    // The program an Exec value starts; empty when the value is malformed.
    static QString programOf(const QString& execValue);

private:
    QString m_executable;
    QString m_folder;
};

} // namespace lumora
