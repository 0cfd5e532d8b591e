#include "lumora-ddc/LuminanceCommand.h"

#include "ddc/SerialField.h"

#include <algorithm>
#include <map>
#include <span>

namespace lumora::ddc {

const char* const luminanceUsage =
    "用法：lumora-ddc display 编号 get luminance      读取当前亮度\n"
    "      lumora-ddc display 编号 max luminance      读取最大亮度\n"
    "      lumora-ddc display 编号 chg luminance 增量  按增量调整，限制在 0 到最大值之间\n"
    "      lumora-ddc display 编号 set luminance 值    设为该值，限制在 0 到最大值之间\n"
    "      lumora-ddc --noverify display 编号 set luminance 值\n"
    "                                                 只发送设置，不读回（供程序跟随使用）\n"
    "      lumora-ddc detect                          列出找到的显示器\n"
    "      lumora-ddc detect --tabs                   同上，供程序读取：每台一行，\n"
    "                  编号<TAB>序列号<TAB>名称<TAB>总线<TAB>DDC\n"
    "                  （编号 2 或 3，没有编号为 0；名称可能为空，不可打印的字符显示为 ?；\n"
    "                  总线是 /dev/i2c-N 的 N；DDC 为 1 表示 DDC/CI 有应答，否则为 0）\n"
    "  序列号：EDID 的序列号文本，可打印 ASCII 以外的字节和反斜杠写成 \\xHH；没有序列号文本的\n"
    "  显示器写成 \\edid: 加 EDID 第 8–15 字节（厂商、产品代码、二进制序列号）的十六进制。\n"
    "  编号：1 是内置显示屏，2 和 3 是 LUMORA_DISPLAY_SERIALS 中的第一、第二台显示器；\n"
    "  也可以用 --sn 序列号（按 detect 列出的写法）代替 display 编号。\n"
    "  chg 和 set 等显示器生效后读回，打印显示器实际的亮度；--noverify set 打印发送的值\n"
    "  （限制在 0 到最大值之间），显示器确认收到即成功。detect 会重新检测并更新缓存；\n"
    "  内核的显示接口（/sys/class/drm）所示的显示器与缓存相同时，直接按缓存回答，不占用总线。\n"
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

// The monitor's current value and maximum, the maximum kept for the commands after this one.
Result<VcpValue, Failure> readLuminance(const LuminanceRequest& request, DdcDevice& device,
                                        DisplayDirectory& directory) {
    const Result<VcpValue, Failure> now = device.getVcp(luminanceFeature);
    if (now.ok())
        directory.rememberMaximum(request.target, now.value().maximum);
    return now;
}

// The follow path: the set alone, clamped to the maximum the cache keeps for this monitor; only
// a monitor whose maximum is not known yet is asked for it first.
Result<long long, Failure> setWithoutReadBack(const LuminanceRequest& request, DdcDevice& device,
                                              DisplayDirectory& directory) {
    std::optional<uint16_t> maximum = directory.maximum(request.target);
    if (!maximum) {
        const Result<VcpValue, Failure> now = readLuminance(request, device, directory);
        if (!now.ok())
            return now.failure();
        maximum = now.value().maximum;
    }
    const long long value = clampToRange(request.amount, *maximum);
    if (const Result<void, Failure> set = device.setVcp(luminanceFeature, uint16_t(value), false);
        !set.ok())
        return set.failure();
    return value;
}

Result<long long, Failure> perform(const LuminanceRequest& request, DdcDevice& device,
                                   DisplayDirectory& directory) {
    if (!request.verify)
        return setWithoutReadBack(request, device, directory);
    const Result<VcpValue, Failure> now = readLuminance(request, device, directory);
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
    const std::string serial = SerialField::of(record.serial, record.edid);
    return number + "\t" + (record.name.empty() ? "（无名称）" : record.name) + "\t序列号 " +
           (serial.empty() ? "（无）" : serial) + "\t/dev/i2c-" + std::to_string(record.bus) +
           "\t" + (record.ddc ? "DDC/CI 可用" : "DDC/CI 无应答") + "\n";
}

// The product name as a tab-separated field: only printable ASCII, anything else a '?'.
std::string field(const std::string& text) {
    std::string shown = text;
    for (char& c : shown) {
        if (c < 0x20 || c > 0x7E)
            c = '?';
    }
    return shown;
}

std::string tabulate(const DisplayRecord& record) {
    return std::to_string(record.number) + "\t" + SerialField::of(record.serial, record.edid) +
           "\t" + field(record.name) + "\t" + std::to_string(record.bus) + "\t" +
           (record.ddc ? "1" : "0") + "\n";
}

Outcome listMonitors(DisplayDirectory& directory, bool tabs) {
    const Result<std::vector<DisplayRecord>, Failure> detected = directory.detectAll();
    if (!detected.ok())
        return failed(detected.failure(), luminanceUsage);
    Outcome outcome;
    for (const DisplayRecord& record : detected.value())
        outcome.out += tabs ? tabulate(record) : describe(record);
    return outcome;
}

Result<Target, Failure> parseTarget(const std::string& kind, const std::string& value) {
    if (kind == "--sn") {
        const Result<std::string, Failure> serial = parseSerialField(value);
        if (!serial.ok())
            return serial.failure();
        return Target{.number = std::nullopt, .serial = serial.value()};
    }
    if (kind != "display")
        return usageError("参数错误：命令应为 display 编号（或 --sn 序列号）get|max|chg|set "
                          "luminance [值]，或 detect");
    const std::optional<long long> display = parseUnsigned(value, 0x7FFFFFFF);
    if (!display)
        return usageError("参数错误：无效的显示器编号 “" + printable(value) + "”");
    return Target{.number = int(*display), .serial = {}};
}

Result<LuminanceRequest, Failure> parseDetect(std::span<const std::string> arguments) {
    const bool tabs = arguments.size() == 2 && arguments[1] == "--tabs";
    if (arguments.size() != 1 && !tabs)
        return usageError("参数错误：detect 之后只能跟 --tabs");
    return LuminanceRequest{
        .target = {}, .action = tabs ? Action::DetectTabs : Action::Detect, .amount = 0};
}

// The command after any --noverify: a second --noverify is no command word.
Result<LuminanceRequest, Failure> parseCommand(std::span<const std::string> arguments) {
    static const std::map<std::string, Action> actions = {
        {"get", Action::Get}, {"max", Action::Max}, {"chg", Action::Change}, {"set", Action::Set}};
    if (!arguments.empty() && arguments[0] == "detect")
        return parseDetect(arguments);
    if (arguments.size() < 4)
        return usageError("参数错误：命令应为 display 编号 get|max|chg|set luminance [值]，或 "
                          "detect");
    const Result<Target, Failure> target = parseTarget(arguments[0], arguments[1]);
    if (!target.ok())
        return target.failure();
    const auto action = actions.find(arguments[2]);
    if (action == actions.end())
        return usageError("参数错误：未知操作 “" + printable(arguments[2]) +
                          "”（get、max、chg 或 set）");
    if (arguments[3] != "luminance")
        return usageError("参数错误：只支持 luminance，而不是 “" + printable(arguments[3]) + "”");

    LuminanceRequest request{.target = target.value(), .action = action->second, .amount = 0};
    const bool needsAmount = request.action == Action::Change || request.action == Action::Set;
    if (arguments.size() != (needsAmount ? 5u : 4u))
        return usageError(needsAmount ? "参数错误：" + arguments[2] + " 需要一个数值"
                                      : "参数错误：" + arguments[2] + " 不需要更多参数");
    if (needsAmount) {
        const std::optional<long long> amount = parseSigned(arguments[4]);
        if (!amount)
            return usageError("参数错误：无效的数值 “" + printable(arguments[4]) + "”");
        request.amount = *amount;
    }
    return request;
}

} // namespace

Result<LuminanceRequest, Failure>
parseLuminanceCommandLine(const std::vector<std::string>& arguments) {
    const bool fast = !arguments.empty() && arguments[0] == "--noverify";
    Result<LuminanceRequest, Failure> request =
        parseCommand(std::span(arguments).subspan(fast ? 1 : 0));
    if (!fast || !request.ok())
        return request;
    if (request.value().action != Action::Set)
        return usageError(
            "参数错误：--noverify 只用于 display 编号（或 --sn 序列号）set luminance 值");
    request.value().verify = false;
    return request;
}

Outcome runLuminance(const std::vector<std::string>& arguments, DisplayDirectory& directory) {
    const Result<LuminanceRequest, Failure> request = parseLuminanceCommandLine(arguments);
    if (!request.ok())
        return failed(request.failure(), luminanceUsage);
    if (request.value().action == Action::Detect || request.value().action == Action::DetectTabs)
        return listMonitors(directory, request.value().action == Action::DetectTabs);
    Result<std::unique_ptr<DdcDevice>, Failure> device = directory.open(request.value().target);
    if (!device.ok())
        return failed(device.failure(), luminanceUsage);
    const Result<long long, Failure> value = perform(request.value(), *device.value(), directory);
    if (!value.ok())
        return failed(value.failure(), luminanceUsage);
    return {0, std::to_string(value.value()) + "\n", {}};
}

} // namespace lumora::ddc
