#include "platform/XdgAutostart.h"
#include "support/Printers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

    writeEntry(head + "Exec=/usr/bin/other-program\n");
    EXPECT_TRUE(item.registerApp().ok());
    EXPECT_TRUE(item.isEnabled()) << "registering again replaces an entry for another program";
}

TEST_F(LoginItemTest, EntriesTheUserSwitchedOffOrCannotBeReadAreLeftAlone) {
    XdgAutostart item(lumora, folder());
    const QString path = item.entryPath();
    const QString off = "[Desktop Entry]\nExec=/opt/lumora/bin/lumora\nHidden=true\n";
    const auto fifo = [&] { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); };
    const auto linkTo = [&](const char* target) { ASSERT_TRUE(QFile::link(target, path)); };
    const auto huge = [&] { writeEntry(QString(100000, u'#')); };
    struct Case {
        const char* name;
        std::function<void()> make;
        QString reason;
    } cases[] = {
        {"hidden", [&] { writeEntry(off); }, "登录项已在桌面的自启动设置中关闭（" + path + "）"},
        {"gnomeOff",
         [&] {
             writeEntry("[Desktop Entry]\nExec=/opt/lumora/bin/lumora\n"
                        "X-GNOME-Autostart-enabled=false\n");
         },
         "登录项已在桌面的自启动设置中关闭（" + path + "）"},
        {"fifo", fifo, path + " 不是普通文件"},
        {"endlessDevice", [&] { linkTo("/dev/zero"); }, path + " 不是普通文件"},
        {"huge", huge, path + " 太大，不像登录项"},
        {"folder", [&] { QDir().mkpath(path); }, path + " 不是普通文件"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(folder());
        QFile::remove(path);
        QDir().rmdir(path);
        c.make();
        const QFileInfo before(path);
        EXPECT_FALSE(item.isEnabled());
        const Result<void, QString> registered = item.registerApp();
        ASSERT_FALSE(registered.ok());
        EXPECT_EQ(registered.failure(), c.reason);
        EXPECT_EQ(QFileInfo(path).lastModified(), before.lastModified()) << "left alone";
    }
}

TEST_F(LoginItemTest, ARelativeConfigHomeIsIgnored) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(XdgAutostart::defaultFolder(), QDir::homePath() + "/.config/autostart");
    qputenv("XDG_CONFIG_HOME", "/absolute/config");
    EXPECT_EQ(XdgAutostart::defaultFolder(), "/absolute/config/autostart");
    qputenv("XDG_CONFIG_HOME", saved);
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

    XdgAutostart item(lumora, "/proc/self"); // a folder where nothing can be written
    const Result<void, QString> writeError = item.registerApp();
    ASSERT_FALSE(writeError.ok());
    EXPECT_TRUE(writeError.failure().startsWith("无法写入 " + item.entryPath() + "："))
        << writeError.failure().toStdString();
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
