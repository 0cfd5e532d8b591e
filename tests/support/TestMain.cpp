#include <QApplication>
#include <gtest/gtest.h>

// Every test program gets a real application object: widgets are real widgets on the offscreen
// platform, and tool runs turn a real event loop.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
