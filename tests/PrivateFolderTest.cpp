#include "ddc/PrivateFolder.h"
#include "ddc/BusTiming.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lumora::ddc;

namespace {

struct Planted {
    const char* name;
    void (*plant)(const std::string& path);
};

class PrivateFolderTest : public ::testing::TestWithParam<Planted> {};

// Whatever sits at the file's place, reading neither blocks nor follows it, and writing
// replaces it without touching what it points to.
TEST_P(PrivateFolderTest, RefusesToReadAndReplacesOnWrite) {
    QTemporaryDir base;
    const std::optional<PrivateFolder> folder =
        PrivateFolder::open(base.filePath("lumora").toStdString());
    ASSERT_TRUE(folder);
    const std::string file = folder->path() / "ddc-displays";
    GetParam().plant(file);

    EXPECT_FALSE(folder->read("ddc-displays", 1024));
    ASSERT_TRUE(folder->write("ddc-displays", "fresh\n"));
    EXPECT_EQ(*folder->read("ddc-displays", 1024), "fresh\n");
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, PrivateFolderTest,
    ::testing::Values(Planted{"fifo", [](const std::string& path) { mkfifo(path.c_str(), 0600); }},
                      Planted{
                          "linkToRandom",
                          [](const std::string& path) { symlink("/dev/urandom", path.c_str()); }},
                      Planted{"huge",
                              [](const std::string& path) {
                                  QFile out(QString::fromStdString(path));
                                  out.open(QIODevice::WriteOnly);
                                  out.write(QByteArray(4096, 'x'));
                              }},
                      Planted{"otherOwner",
                              [](const std::string& path) {
                                  QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly);
                                  (void)chown(path.c_str(), 65534, 65534);
                              }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrivateFolderPlaceTest, NeverASharedOrLinkedFolder) {
    QTemporaryDir base;
    const std::string shared = base.filePath("shared").toStdString();
    mkdir(shared.c_str(), 0777);
    ASSERT_EQ(chown(shared.c_str(), 65534, 65534), 0) << "the tests run as root";
    EXPECT_FALSE(PrivateFolder::open(shared));
    ASSERT_EQ(symlink(base.path().toStdString().c_str(), base.filePath("link").toUtf8()), 0);
    EXPECT_FALSE(PrivateFolder::open(base.filePath("link").toStdString()));

    const std::string own = base.filePath("own").toStdString();
    mkdir(own.c_str(), 0755);
    ASSERT_TRUE(PrivateFolder::open(own));
    struct stat status {};
    stat(own.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST(PrivateFolderPlaceTest, WithoutHomeTheHomeOfThePasswordDatabase) {
    const QByteArray home = qgetenv("HOME"), cache = qgetenv("XDG_CACHE_HOME");
    unsetenv("HOME");
    unsetenv("XDG_CACHE_HOME");
    const std::optional<std::filesystem::path> location = PrivateFolder::cacheLocation();
    setenv("XDG_CACHE_HOME", "relative/ignored", 1);
    const std::optional<std::filesystem::path> relative = PrivateFolder::cacheLocation();
    qputenv("HOME", home);
    if (cache.isNull())
        unsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", cache);

    const std::filesystem::path expected =
        std::filesystem::path(getpwuid(geteuid())->pw_dir) / ".cache" / "lumora";
    EXPECT_EQ(location, expected);
    EXPECT_EQ(relative, expected);
}

TEST(BusTimingTest, AnUnreadablePauseFileMeansNoPause) {
    QTemporaryDir dir;
    const std::string folder = dir.filePath("lumora").toStdString();
    const BusTiming timing(PrivateFolder::open(folder));
    for (const char* text : {"\n\n", "9999999999999999999\n", "-5\n", "12x\n", ""}) {
        ASSERT_TRUE(PrivateFolder::open(folder)->write("i2c-3.quiet-until", text));
        EXPECT_EQ(timing.quietUntil(3), BusTiming::Clock::time_point{}) << text;
    }
}

} // namespace
