#include "platform/XdgAutostart.h"
#include "support/Printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumora;

namespace {

const QString lumora = QStringLiteral("/opt/lumora/bin/lumora");

class LoginItemTest : public ::testing::Test {
protected:
    QString folder() const { return home.filePath("autostart"); }

    void writeEntry(const QString& contents) const {
        QDir().mkpath(folder());
        QFile file(QDir(folder()).filePath("lumora.desktop"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents.toUtf8());
    }

    QTemporaryDir home;
};

TEST_F(LoginItemTest, RegistersAnEntryThatStartsThisProgram) {
    XdgAutostart item(lumora, folder());
    EXPECT_FALSE(item.isEnabled()) << "no entry yet";
    EXPECT_TRUE(item.registerApp().ok());
    EXPECT_TRUE(item.isEnabled());

    QFile file(item.entryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(contents.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(contents.contains("\nExec=/opt/lumora/bin/lumora\n"));
    EXPECT_TRUE(contents.contains("\nType=Application\n"));
}

TEST_F(LoginItemTest, EntryStatesThatDoNotCount) {
    XdgAutostart item(lumora, folder());
    const QString head = "[Desktop Entry]\nType=Application\nName=Lumora\n";
    const QStringList disabled = {
        head + "Exec=/opt/lumora/bin/lumora\nHidden=true\n",
        head + "Exec=/opt/lumora/bin/lumora\nX-GNOME-Autostart-enabled=false\n",
        head + "Exec=/usr/bin/other-program\n",
        head + "Exec=\"/opt/lumora/bin/lumora\n",
        "[Other Group]\nExec=/opt/lumora/bin/lumora\n",
    };
    for (const QString& contents : disabled) {
        writeEntry(contents);
        EXPECT_FALSE(item.isEnabled()) << contents.toStdString();
    }
    for (const QString& contents :
         {head + "Exec = /opt/lumora/bin/lumora --quiet\nHidden=false\n",
          head + "Exec=/opt/lumora/bin/lumora\n[Desktop Action new]\nExec=/usr/bin/other\n"}) {
        writeEntry(contents);
        EXPECT_TRUE(item.isEnabled()) << contents.toStdString();
    }

    writeEntry(head + "Exec=/opt/lumora/bin/lumora\nHidden=true\n");
    EXPECT_TRUE(item.registerApp().ok());
    EXPECT_TRUE(item.isEnabled()) << "registering again replaces a hidden entry";
}

TEST_F(LoginItemTest, PathsThatNeedQuotingRoundTrip) {
    struct Case {
        QString program;
        QString exec;
    };
    const QList<Case> cases = {
        {"/usr/bin/lumora", "/usr/bin/lumora"},
        {"/opt/My Apps/lumora", "\"/opt/My Apps/lumora\""},
        {"/opt/a$b`c\"d/lumora", "\"/opt/a\\$b\\`c\\\"d/lumora\""},
        {"/opt/100%/lumora", "/opt/100%%/lumora"},
        {"/opt/back\\slash/lumora", "\"/opt/back\\\\slash/lumora\""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.program.toStdString());
        EXPECT_EQ(XdgAutostart::execValue(row.program), row.exec);
        EXPECT_EQ(XdgAutostart::programOf(row.exec), row.program);

        XdgAutostart item(row.program, folder());
        ASSERT_TRUE(item.registerApp().ok());
        EXPECT_TRUE(item.isEnabled());
    }
}

TEST_F(LoginItemTest, FailuresAreReadable) {
    QFile blocker(home.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    XdgAutostart underAFile(lumora, home.filePath("blocker/autostart"));
    const Result<void, QString> folderError = underAFile.registerApp();
    ASSERT_FALSE(folderError.ok());
    EXPECT_TRUE(folderError.failure().startsWith("无法创建文件夹 "))
        << folderError.failure().toStdString();

    XdgAutostart item(lumora, folder());
    QDir().mkpath(item.entryPath()); // a folder where the entry should be
    const Result<void, QString> writeError = item.registerApp();
    ASSERT_FALSE(writeError.ok());
    EXPECT_TRUE(writeError.failure().startsWith("无法写入 " + item.entryPath() + "："))
        << writeError.failure().toStdString();
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
