#include "control/ControlError.h"
#include "control/Failure.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

using namespace lumora;

namespace {

TEST(ControlErrorTest, DescribesItself) {
    EXPECT_EQ(ControlError::invalidResponse("abc").errorDescription(),
              "显示器返回了无效亮度值：abc");
    EXPECT_EQ(ControlError::commandFailed("未知错误").errorDescription(), "未知错误");
    EXPECT_EQ(describe(PlatformError{"No such file or directory"}), "No such file or directory");
}

} // namespace
