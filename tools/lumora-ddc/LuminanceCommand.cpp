#include "lumora-ddc/LuminanceCommand.h"

#include <algorithm>
#include <map>

namespace lumora::ddc {

const char* const luminanceUsage =
    "用法：lumora-ddc display 编号 get luminance      读取当前亮度\n"
    "      lumora-ddc display 编号 max luminance      读取最大亮度\n"
    "      lumora-ddc display 编号 chg luminance 增量  按增量调整，限制在 0 到最大值之间\n"
    "      lumora-ddc display 编号 set luminance 值    设为该值，限制在 0 到最大值之间\n"
    "      lumora-ddc detect                          列出找到的显示器\n"
    "  编号：1 是内置显示屏，2 和 3 是 LUMORA_DISPLAY_SERIALS 中的第一、第二台显示器；\n"
    "  也可以用 --sn 序列号 代替 display 编号。\n"
    "  chg 和 set 等显示器生效后读回，打印显示器实际的亮度。\n"
    "  退出状态：0 成功，1 DDC 通信失败，2 用法错误，3 找不到显示器，4 无法访问 I2C 设备\n";

namespace {

using Action = LuminanceRequest::Action;

long long clampToRange(long long value, uint16_t maximum) {
    return std::clamp<long long>(value, 0, maximum);
}

// Saturates instead of overflowing: any step beyond the range ends at its edge.
long long targetValue(const LuminanceRequest& request, const VcpValue& now) {
    const long long wanted =
        request.action == Action::Set
            ? request.amount
            : std::clamp<long long>(request.amount, -0x10000, 0x10000) + now.current;
    return clampToRange(wanted, now.maximum);
}

Result<long long, Failure> perform(const LuminanceRequest& request, DdcDevice& device) {
    const Result<VcpValue, Failure> now = device.getVcp(luminanceFeature);
    if (!now.ok())
        return now.failure();
    if (request.action == Action::Get)
        return now.value().current;
    if (request.action == Action::Max)
        return now.value().maximum;
    // Read back after the monitor's pause: what we print is what the monitor holds.
    const long long value = targetValue(request, now.value());
    if (const Result<void, Failure> set = device.setVcp(luminanceFeature, uint16_t(value), true);
        !set.ok())
        return set.failure();
    return value;
}

std::string describe(const DisplayRecord& record) {
    const std::string number =
        record.number ? "显示器 " + std::to_string(record.number) : std::string("未编号");
    return number + "\t" + (record.name.empty() ? "（无名称）" : record.name) + "\t序列号 " +
           (record.serial.empty() ? "（无）" : record.serial) + "\t/dev/i2c-" +
           std::to_string(record.bus) + "\t" + (record.ddc ? "DDC/CI 可用" : "DDC/CI 无应答") +
           "\n";
}

Outcome listMonitors(DisplayDirectory& directory) {
    const Result<std::vector<DisplayRecord>, Failure> detected = directory.detectAll();
    if (!detected.ok())
        return failed(detected.failure(), luminanceUsage);
    Outcome outcome;
    for (const DisplayRecord& record : detected.value())
        outcome.out += describe(record);
    return outcome;
}

Result<Target, Failure> parseTarget(const std::string& kind, const std::string& value) {
    if (kind == "--sn") {
        if (value.empty() || value.rfind("--", 0) == 0)
            return usageError("参数错误：--sn 后面缺少序列号");
        return Target{.number = std::nullopt, .serial = value};
    }
    if (kind != "display")
        return usageError("参数错误：命令应为 display 编号（或 --sn 序列号）get|max|chg|set "
                          "luminance [值]，或 detect");
    const std::optional<long long> display = parseUnsigned(value, 0x7FFFFFFF);
    if (!display)
        return usageError("参数错误：无效的显示器编号 “" + value + "”");
    return Target{.number = int(*display), .serial = {}};
}

} // namespace

Result<LuminanceRequest, Failure>
parseLuminanceCommandLine(const std::vector<std::string>& arguments) {
    static const std::map<std::string, Action> actions = {
        {"get", Action::Get}, {"max", Action::Max}, {"chg", Action::Change}, {"set", Action::Set}};
    if (arguments.size() == 1 && arguments[0] == "detect")
        return LuminanceRequest{.target = {}, .action = Action::Detect, .amount = 0};
    if (arguments.size() < 4)
        return usageError("参数错误：命令应为 display 编号 get|max|chg|set luminance [值]，或 "
                          "detect");
    const Result<Target, Failure> target = parseTarget(arguments[0], arguments[1]);
    if (!target.ok())
        return target.failure();
    const auto action = actions.find(arguments[2]);
    if (action == actions.end())
        return usageError("参数错误：未知操作 “" + arguments[2] + "”（get、max、chg 或 set）");
    if (arguments[3] != "luminance")
        return usageError("参数错误：只支持 luminance，而不是 “" + arguments[3] + "”");

    LuminanceRequest request{.target = target.value(), .action = action->second, .amount = 0};
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
    if (request.value().action == Action::Detect)
        return listMonitors(directory);
    Result<std::unique_ptr<DdcDevice>, Failure> device = directory.open(request.value().target);
    if (!device.ok())
        return failed(device.failure(), luminanceUsage);
    const Result<long long, Failure> value = perform(request.value(), *device.value());
    if (!value.ok())
        return failed(value.failure(), luminanceUsage);
    return {0, std::to_string(value.value()) + "\n", {}};
}

} // namespace lumora::ddc
