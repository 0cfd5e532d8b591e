#include "ddc/PluginDetector.h"

#include "ddc/QuietOutput.h"

#include <algorithm>
#include <dlfcn.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace lumora::ddc {

namespace {
using CreateDetector = DisplayDetector* (*)();
}

PluginDetector::PluginDetector(std::filesystem::path plugin, std::filesystem::path devices,
                               const BusTiming& timing)
    : m_plugin(std::move(plugin)), m_devices(std::move(devices)), m_timing(timing) {}

PluginDetector::~PluginDetector() {
    // The detector's code lives in the plugin: it goes first.
    m_detector.reset();
    if (m_library)
        dlclose(m_library);
}

std::filesystem::path PluginDetector::besideExecutable() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return self.parent_path() / "liblumora-ddcutil.so";
}

Result<void, Failure> PluginDetector::checkI2cAccess(const std::filesystem::path& devices) {
    bool anyNode = false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(devices, error)) {
        if (entry.path().filename().string().rfind("i2c-", 0) != 0)
            continue;
        anyNode = true;
        if (access(entry.path().c_str(), R_OK | W_OK) == 0)
            return {};
    }
    const std::string pattern = (devices / "i2c-*").string();
    if (!anyNode)
        return Failure{Failure::Kind::NoAccess,
                       "没有 I2C 设备（" + pattern + "）：请加载 i2c-dev 模块（modprobe i2c-dev）"};
    return Failure{Failure::Kind::NoAccess,
                   "无权读写 " + pattern +
                       "：请安装 Lumora 软件包的 udev 规则（60-lumora-i2c.rules）后重新登录，"
                       "或把用户加入 i2c 组"};
}

Result<void, Failure> PluginDetector::load() {
    if (m_detector)
        return {};
    if (Result<void, Failure> access = checkI2cAccess(m_devices); !access.ok())
        return access;
    {
        const QuietOutput quiet;
        m_library = dlopen(m_plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    const auto create =
        m_library ? reinterpret_cast<CreateDetector>(dlsym(m_library, "lumoraCreateDetector"))
                  : nullptr;
    if (!create) {
        const char* reason = dlerror();
        return communicationFailure("无法加载 libddcutil（" + m_plugin.string() + "）：" +
                                    (reason ? reason : "找不到检测入口"));
    }
    m_detector.reset(create());
    return {};
}

std::vector<BusLock> PluginDetector::lockBuses() const {
    // In the order of their numbers, as every detection takes them.
    std::vector<int> buses;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_devices, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.size() < 10 && name.rfind("i2c-", 0) == 0 &&
            name.find_first_not_of("0123456789", 4) == std::string::npos)
            buses.push_back(std::stoi(name.substr(4)));
    }
    std::sort(buses.begin(), buses.end());
    std::vector<BusLock> locks;
    for (const int bus : buses) {
        Result<BusLock, Failure> lock = BusLock::acquire(
            (m_devices / ("i2c-" + std::to_string(bus))).string(), busLockPatience);
        if (!lock.ok())
            continue;
        locks.push_back(std::move(lock.value()));
        std::this_thread::sleep_until(m_timing.quietUntil(bus));
    }
    return locks;
}

Result<std::vector<DisplayRecord>, Failure> PluginDetector::detect() {
    if (Result<void, Failure> loaded = load(); !loaded.ok())
        return loaded.failure();
    const std::vector<BusLock> locks = lockBuses();
    return m_detector->detect();
}

} // namespace lumora::ddc
