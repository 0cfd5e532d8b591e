#include "lumora-ddc/LuminanceCommand.h"

#include <algorithm>
#include <map>

namespace lumora::ddc {

const char* const luminanceUsage =
    "用法：lumora-ddc display 编号 get luminance      读取当前亮度\n"
    "      lumora-ddc display 编号 max luminance      读取最大亮度\n"
    "      lumora-ddc display 编号 chg luminance 增量  按增量调整，限制在 0 到最大值之间\n"
    "      lumora-ddc display 编号 set luminance 值    设为该值，限制在 0 到最大值之间\n"
    "  编号是 libddcutil 检测到的显示器编号（ddcutil detect 中的 Display 编号）。\n"
    "  成功时在标准输出打印亮度值。退出状态：0 成功，1 DDC 通信失败，2 用法错误，\n"
    "  3 找不到显示器，4 无法访问 I2C 设备\n";

namespace {

using Action = LuminanceRequest::Action;

long long clampToRange(long long value, uint16_t maximum) {
    return std::clamp<long long>(value, 0, maximum);
}

Result<long long, Failure> perform(const LuminanceRequest& request, DdcDevice& device) {
    const Result<VcpValue, Failure> now = device.getVcp(luminanceFeature);
    if (!now.ok())
        return now.failure();
    if (request.action == Action::Get)
        return now.value().current;
    if (request.action == Action::Max)
        return now.value().maximum;

    // Saturate instead of overflowing: any step beyond the range ends at its edge.
    const long long target =
        request.action == Action::Set
            ? request.amount
            : (request.amount > 0 ? std::min<long long>(request.amount, 0x10000)
                                  : std::max<long long>(request.amount, -0x10000)) +
                  now.value().current;
    const long long value = clampToRange(target, now.value().maximum);
    if (const Result<void, Failure> set = device.setVcp(luminanceFeature, uint16_t(value), false);
        !set.ok())
        return set.failure();
    return value;
}

} // namespace

Result<LuminanceRequest, Failure>
parseLuminanceCommandLine(const std::vector<std::string>& arguments) {
    static const std::map<std::string, Action> actions = {
        {"get", Action::Get}, {"max", Action::Max}, {"chg", Action::Change}, {"set", Action::Set}};
    if (arguments.size() < 4 || arguments[0] != "display")
        return usageError("参数错误：命令应为 display 编号 get|max|chg|set luminance [值]");
    const std::optional<long long> display = parseUnsigned(arguments[1], 0x7FFFFFFF);
    if (!display)
        return usageError("参数错误：无效的显示器编号 “" + arguments[1] + "”");
    const auto action = actions.find(arguments[2]);
    if (action == actions.end())
        return usageError("参数错误：未知操作 “" + arguments[2] + "”（get、max、chg 或 set）");
    if (arguments[3] != "luminance")
        return usageError("参数错误：只支持 luminance，而不是 “" + arguments[3] + "”");

    LuminanceRequest request{.display = int(*display), .action = action->second, .amount = 0};
    const bool needsAmount = request.action == Action::Change || request.action == Action::Set;
    if (arguments.size() != (needsAmount ? 5u : 4u))
        return usageError(needsAmount ? "参数错误：" + arguments[2] + " 需要一个数值"
                                      : "参数错误：" + arguments[2] + " 不需要更多参数");
    if (needsAmount) {
        const std::optional<long long> amount = parseSigned(arguments[4]);
        if (!amount)
            return usageError("参数错误：无效的数值 “" + arguments[4] + "”");
        request.amount = *amount;
    }
    return request;
}

Outcome runLuminance(const std::vector<std::string>& arguments, DisplayDirectory& directory) {
    const Result<LuminanceRequest, Failure> request = parseLuminanceCommandLine(arguments);
    if (!request.ok())
        return failed(request.failure(), luminanceUsage);
    Result<std::unique_ptr<DdcDevice>, Failure> device =
        directory.open({.number = request.value().display, .serial = {}});
    if (!device.ok())
        return failed(device.failure(), luminanceUsage);
    const Result<long long, Failure> value = perform(request.value(), *device.value());
    if (!value.ok())
        return failed(value.failure(), luminanceUsage);
    return {0, std::to_string(value.value()) + "\n", {}};
}

} // namespace lumora::ddc
