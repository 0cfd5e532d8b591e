#include "panelctl/PanelctlCommand.h"

namespace lumora::ddc {

const char* const panelctlUsage =
    "用法：panelctl setvcp [--noverify] --sn 序列号 功能码 值\n"
    "  按 EDID 序列号找到显示器，通过 DDC/CI 设置一个 VCP 功能。序列号按 lumora-ddc detect\n"
    "  列出的写法：可打印 ASCII 以外的字节和反斜杠写成 \\xHH；没有序列号文本的显示器写成\n"
    "  \\edid: 加 EDID 第 8–15 字节（厂商、产品代码、二进制序列号）的十六进制。\n"
    "  功能码 0–255，值 0–65535，可写成十进制或 0x 开头的十六进制。\n"
    "  --noverify  设置后不读回校验\n"
    "  退出状态：0 成功，1 DDC 通信失败，2 用法错误，3 找不到显示器，4 无法访问 I2C 设备\n";

Result<SetVcpRequest, Failure> parsePanelctlCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0] != "setvcp")
        return usageError("参数错误：第一个参数必须是 setvcp");
    SetVcpRequest request;
    std::vector<std::string> operands;
    bool haveSerial = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--noverify") {
            request.verify = false;
        } else if (argument == "--sn") {
            const Result<std::string, Failure> serial =
                parseSerialField(i + 1 < arguments.size() ? arguments[++i] : std::string());
            if (!serial.ok())
                return serial.failure();
            request.serial = serial.value();
            haveSerial = true;
        } else if (argument.rfind("--", 0) == 0) {
            return usageError("参数错误：未知选项 “" + printable(argument) + "”");
        } else {
            operands.push_back(argument);
        }
    }
    if (!haveSerial)
        return usageError("参数错误：缺少 --sn 序列号");
    if (operands.size() != 2)
        return usageError("参数错误：需要功能码和值两个参数");
    const std::optional<long long> feature = parseUnsigned(operands[0], 0xFF);
    if (!feature)
        return usageError("参数错误：无效的功能码 “" + printable(operands[0]) + "”（0–255）");
    const std::optional<long long> value = parseUnsigned(operands[1], 0xFFFF);
    if (!value)
        return usageError("参数错误：无效的值 “" + printable(operands[1]) + "”（0–65535）");
    request.feature = uint8_t(*feature);
    request.value = uint16_t(*value);
    return request;
}

Outcome runPanelctl(const std::vector<std::string>& arguments, DisplayDirectory& directory) {
    const Result<SetVcpRequest, Failure> request = parsePanelctlCommandLine(arguments);
    if (!request.ok())
        return failed(request.failure(), panelctlUsage);
    Result<std::unique_ptr<DdcDevice>, Failure> device =
        directory.open({.number = std::nullopt, .serial = request.value().serial});
    if (!device.ok())
        return failed(device.failure(), panelctlUsage);
    const SetVcpRequest& set = request.value();
    if (const Result<void, Failure> done =
            device.value()->setVcp(set.feature, set.value, set.verify);
        !done.ok())
        return failed(done.failure(), panelctlUsage);
    return {};
}

} // namespace lumora::ddc
