// Emulated DDC/CI monitors behind /dev/i2c-N, loaded with LD_PRELOAD, so tests run the DDC tools,
// libddcutil's own detection and the ddcutil command on a machine with no monitor.
//
//   LD_PRELOAD=libddc_monitor_preload.so LUMORA_DDC_EMULATOR=/path/to/state ddcutil detect
//
// Without LUMORA_DDC_EMULATOR every call passes through untouched. With it, the real /dev/i2c-*
// are hidden, so a test never reaches real hardware. In the state folder:
//
//   i2c-N/               a monitor on /dev/i2c-N (present while the folder exists)
//     name               EDID product name, up to 13 characters (default "Emulated N")
//     serial             EDID serial number text, up to 13 characters (default "EMU00N")
//     manufacturer       EDID manufacturer, three capital letters (default "LUM")
//     vcp/XX             "current maximum" of feature XX, two lowercase hex digits (vcp/10,
//     vcp/d6).
//                        10, d6 and df are always there (defaults "50 100", "1 5", "513 0"); any
//                        other feature only while its file exists; others answer "unsupported".
//                        Set VCP Feature rewrites the current value.
//     faults             words, any of:
//                          unplugged       no bus: not listed, open fails with ENOENT
//                          no-access       open and access fail with EACCES
//                          nack            messages to 0x37 fail with ENXIO
//                          nack-eremoteio  messages to 0x37 fail with EREMOTEIO
//                          timeout         messages to 0x37 fail with ETIMEDOUT after 200 ms,
//                                          or after the milliseconds of timeout-ms
//                          bad-checksum    replies from 0x37 carry a wrong checksum
//                          null-reply      every reply from 0x37 is the null message
//                          no-edid         messages to 0x50 fail with ENXIO
//                          no-serial       the EDID has no serial number text descriptor
//                          ignore-set      Set VCP Feature is taken but changes nothing
//                          drop-after-set  a message to 0x37 within 50 ms of the last Set VCP
//                                          Feature, from any process, is ignored (a read gets
//                                          the null message)
//     timeout-ms         how long a message takes to time out with the fault "timeout"
//     connector          a DRM connector name ("DP-1"): sys/class/drm/card0-DP-1 drives this bus
//                        (its ddc link names the adapter; edid and status follow the monitor)
//     messages           kept here: I2C messages the bus carried, all processes together (each
//                        read or write, each message of an I2C_RDWR, failed ones too)
//     log                kept here: one line per such message: CLOCK_MONOTONIC microseconds at
//                        its start, process id, read or write, address, size, first 16 bytes in
//                        hexadecimal, errno (0: done)
//     last-set           kept here: CLOCK_MONOTONIC nanoseconds of the last Set VCP Feature
//     node               made here: the file behind the bus's open descriptors
//   bus-timing           flag: every message takes 90 µs a byte, address included (100 kHz)
//   reply-delay          flag: a reply read sooner than 40 ms after its request is the null message
//   sys/                 made here: the sysfs nodes the ddcutil command reads (/sys/bus/i2c,
//                        /sys/class/drm are read from here instead)
//
// Replaced: open, openat (and their 64-bit and fortified forms), close, read, write, ioctl
// (I2C_SLAVE, I2C_SLAVE_FORCE, I2C_FUNCS, I2C_RDWR), stat, lstat, fstatat, access, faccessat,
// statx, opendir, fdopendir, readdir, closedir, fopen, readlink, realpath, and the libudev calls
// that list the "i2c-dev" subsystem. A dup of an emulated bus's descriptor is no emulated bus.

// Our open, read and stat must be plain functions of these very names.
#undef _FORTIFY_SOURCE
#undef _FILE_OFFSET_BITS

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// libudev's handles, only ever passed along (no libudev headers needed to build).
struct udev;
struct udev_enumerate;
struct udev_list_entry;
struct udev_device;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC: one clock for every process

// The definition we stand in front of. A library that reached libudev through
// dlopen(RTLD_LOCAL), as the DDC tools' plugin does, keeps it out of RTLD_NEXT's sight.
template <typename Function> Function* next(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        if (void* udev = dlopen("libudev.so.1", RTLD_LAZY | RTLD_NOLOAD))
            symbol = dlsym(udev, name);
    }
    return reinterpret_cast<Function*>(symbol);
}
#define REAL(name) static auto* const real_##name = next<decltype(::name)>(#name)

constexpr uint8_t ddcAddress = 0x37;
constexpr uint8_t edidAddress = 0x50;
constexpr uint8_t hostAddress = 0x51;
constexpr uint8_t displayAddress = 0x6E;     // seeds a request's checksum, starts a reply
constexpr uint8_t virtualHostAddress = 0x50; // seeds a reply's checksum
constexpr int i2cDevMajor = 89;
constexpr auto setSettleTime = std::chrono::milliseconds(50);
constexpr auto replyPrepareTime = std::chrono::milliseconds(40);
constexpr auto byteTime = std::chrono::microseconds(90); // 9 clocks at 100 kHz

// Recursive: reading the state folder goes through our own open, close and readdir.
std::recursive_mutex lock;

const std::optional<fs::path>& stateDir() {
    static const std::optional<fs::path> dir = []() -> std::optional<fs::path> {
        const char* value = getenv("LUMORA_DDC_EMULATOR");
        return value && *value ? std::optional(fs::absolute(value)) : std::nullopt;
    }();
    return dir;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Written beside and renamed over, so another process never reads half a value.
void writeText(const fs::path& file, const std::string& text) {
    const fs::path partial = file.string() + ".partial" + std::to_string(getpid());
    std::ofstream(partial, std::ios::trunc) << text;
    std::error_code error;
    fs::rename(partial, file, error);
}

// "i2c-7" → 7.
std::optional<int> busOfName(std::string_view name) {
    if (!name.starts_with("i2c-") || name.size() == 4 || name.size() > 10)
        return std::nullopt;
    int bus = 0;
    for (const char c : name.substr(4)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        bus = bus * 10 + (c - '0');
    }
    return bus;
}

// "/dev/i2c-7" → 7, while the emulator is on.
std::optional<int> busOfNode(const char* path) {
    if (!stateDir() || !path || strncmp(path, "/dev/", 5) != 0)
        return std::nullopt;
    return busOfName(path + 5);
}

int64_t nanosecondsNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// ---- A monitor, as its folder describes it ----

struct Vcp {
    uint16_t current = 0;
    uint16_t maximum = 0;
};

class Monitor {
public:
    explicit Monitor(int bus) : m_bus(bus), m_dir(*stateDir() / ("i2c-" + std::to_string(bus))) {
        std::istringstream words(readText(m_dir / "faults"));
        for (std::string word; words >> word;)
            m_faults.insert(word);
    }

    int bus() const { return m_bus; }
    fs::path file(const char* name) const { return m_dir / name; }
    bool has(const char* fault) const { return m_faults.contains(fault); }
    std::chrono::milliseconds timeout() const {
        const std::string text = readText(m_dir / "timeout-ms");
        return std::chrono::milliseconds(text.empty() ? 200 : std::atoi(text.c_str()));
    }
    bool present() const { return fs::is_directory(m_dir) && !has("unplugged"); }

    std::string text(const char* file, const std::string& fallback) const {
        const std::string value = readText(m_dir / file);
        const std::string line = value.substr(0, std::min(value.find_first_of("\r\n"), size_t(13)));
        return line.empty() ? fallback : line;
    }

    std::optional<Vcp> vcp(uint8_t feature) const {
        std::istringstream in(readText(vcpFile(feature)));
        if (Vcp value; in >> value.current >> value.maximum)
            return value;
        switch (feature) {
        case 0x10:
            return Vcp{50, 100}; // luminance
        case 0xD6:
            return Vcp{1, 5}; // power mode: on
        case 0xDF:
            return Vcp{0x0201, 0}; // VCP version 2.1, which ddcutil asks first
        default:
            return std::nullopt;
        }
    }

    void setVcp(uint8_t feature, uint16_t current) const {
        if (const std::optional<Vcp> old = vcp(feature)) {
            std::error_code error;
            fs::create_directories(m_dir / "vcp", error);
            writeText(vcpFile(feature),
                      std::to_string(current) + " " + std::to_string(old->maximum) + "\n");
        }
    }

    std::vector<uint8_t> features() const {
        std::set<uint8_t> codes = {0x10, 0xD6, 0xDF};
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(m_dir / "vcp", error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() == 2 && isxdigit(name[0]) && isxdigit(name[1]))
                codes.insert(uint8_t(std::stoi(name, nullptr, 16)));
        }
        return {codes.begin(), codes.end()};
    }

    // Under a file lock: several processes may share the bus.
    void countMessage() const {
        const int fd = open((m_dir / "messages").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        flock(fd, LOCK_EX);
        char count[24] = {};
        if (pread(fd, count, sizeof count - 1, 0) >= 0) {
            const std::string next = std::to_string(atoll(count) + 1) + "\n";
            if (pwrite(fd, next.data(), next.size(), 0) == ssize_t(next.size()))
                (void)ftruncate(fd, off_t(next.size()));
        }
        close(fd);
    }

    void logMessage(int64_t start, uint16_t address, bool reading, const uint8_t* data, size_t size,
                    int error) const {
        static const char digits[] = "0123456789abcdef";
        std::string bytes;
        for (size_t i = 0; i < std::min<size_t>(size, 16); ++i)
            bytes += std::string{digits[data[i] >> 4], digits[data[i] & 0xF]};
        const std::string line = std::to_string(start / 1000) + " " + std::to_string(getpid()) +
                                 (reading ? " read 0x" : " write 0x") +
                                 std::string{digits[(address >> 4) & 0xF], digits[address & 0xF]} +
                                 " " + std::to_string(size) + " " + (bytes.empty() ? "-" : bytes) +
                                 " " + std::to_string(error) + "\n";
        const int fd =
            open((m_dir / "log").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        (void)::write(fd, line.data(), line.size());
        close(fd);
    }

    void markSet() const { writeText(m_dir / "last-set", std::to_string(nanosecondsNow()) + "\n"); }

    bool settlingAfterSet() const {
        const std::string last = readText(m_dir / "last-set");
        return !last.empty() && nanosecondsNow() - atoll(last.c_str()) <
                                    std::chrono::nanoseconds(setSettleTime).count();
    }

private:
    fs::path vcpFile(uint8_t feature) const {
        static const char digits[] = "0123456789abcdef";
        return m_dir / "vcp" / std::string{digits[feature >> 4], digits[feature & 0xF]};
    }

    int m_bus;
    fs::path m_dir;
    std::set<std::string> m_faults;
};

bool flagSet(const char* name) {
    return fs::exists(*stateDir() / name);
}

std::vector<int> presentBuses() {
    std::vector<int> buses;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(*stateDir(), error)) {
        const std::optional<int> bus = busOfName(entry.path().filename().string());
        if (bus && Monitor(*bus).present())
            buses.push_back(*bus);
    }
    std::sort(buses.begin(), buses.end());
    return buses;
}

// ---- EDID: one 128-byte block, version 1.4 ----

std::vector<uint8_t> edid(const Monitor& monitor) {
    const int bus = monitor.bus();
    const std::string maker = monitor.text("manufacturer", "LUM") + "AAA";
    const auto letter = [&](size_t i) { return (maker[i] - '@') & 0x1F; };
    const uint16_t packed = uint16_t(letter(0) << 10 | letter(1) << 5 | letter(2));
    std::vector<uint8_t> block = {
        0x00,
        0xFF,
        0xFF,
        0xFF,
        0xFF,
        0xFF,
        0xFF,
        0x00, // header
        uint8_t(packed >> 8),
        uint8_t(packed), // manufacturer, big-endian
        uint8_t(bus),
        0x00, // product code
        uint8_t(bus),
        0x00,
        0x00,
        0x00, // binary serial number
        1,
        2020 - 1990, // week and year made
        1,
        4,    // EDID 1.4
        0xA5, // digital, 8 bits a colour, DisplayPort
        53,
        30,
        120,  // 53 × 30 cm, gamma 2.2
        0x0E, // sRGB, RGB and YCbCr 4:4:4, native
        0xEE,
        0x91,
        0xA3,
        0x54,
        0x4C,
        0x99,
        0x26,
        0x0F,
        0x50,
        0x54, // sRGB chromaticity
        0x00,
        0x00,
        0x00, // no established timings
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1,
        1, // no standard timings
        0x02,
        0x3A,
        0x80,
        0x18,
        0x71,
        0x38,
        0x2D,
        0x40,
        0x58,
        0x2C, // 1920×1080 at 60 Hz,
        0x45,
        0x00,
        0x13,
        0x2B,
        0x21,
        0x00,
        0x00,
        0x1E, // 531 × 299 mm
    };
    const auto textDescriptor = [&](uint8_t tag, const std::string& text) {
        block.insert(block.end(), {0x00, 0x00, 0x00, tag, 0x00});
        for (size_t i = 0; i < 13; ++i) // ended by a line feed, padded with spaces
            block.push_back(i < text.size() ? uint8_t(text[i]) : i == text.size() ? 0x0A : 0x20);
    };
    if (monitor.has("no-serial")) { // a dummy descriptor in its place
        block.insert(block.end(), {0x00, 0x00, 0x00, 0x10, 0x00});
        block.resize(block.size() + 13, 0x00);
    } else {
        textDescriptor(0xFF, monitor.text("serial", "EMU00" + std::to_string(bus)));
    }
    textDescriptor(0xFC, monitor.text("name", "Emulated " + std::to_string(bus)));
    block.insert(block.end(), {0x00, 0x00, 0x00, 0x10, 0x00}); // dummy descriptor
    block.resize(126, 0x00);
    block.push_back(0); // no extension blocks
    uint8_t sum = 0;
    for (const uint8_t byte : block)
        sum = uint8_t(sum + byte);
    block.push_back(uint8_t(-sum));
    return block;
}

// ---- DDC/CI ----

std::vector<uint8_t> reply(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> message = {displayAddress, uint8_t(0x80 | payload.size())};
    for (const uint8_t byte : payload)
        message.push_back(byte);
    uint8_t checksum = virtualHostAddress;
    for (const uint8_t byte : message)
        checksum ^= byte;
    message.push_back(checksum);
    return message;
}

std::string capabilities(const Monitor& monitor) {
    static const char digits[] = "0123456789ABCDEF";
    std::string codes;
    for (const uint8_t code : monitor.features()) {
        codes += std::string(codes.empty() ? "" : " ") + digits[code >> 4] + digits[code & 0xF];
        if (code == 0xD6)
            codes += "(01 04 05)";
    }
    return "(prot(monitor)type(LCD)model(" + monitor.text("name", "Emulated") +
           ")cmds(01 02 03 0C E3 F3)vcp(" + codes + ")mccs_ver(2.1))";
}

// What this process's end of a bus remembers between messages.
struct BusState {
    std::vector<uint8_t> reply;
    Clock::time_point requestTime;
    uint8_t edidOffset = 0;
};
std::map<int, BusState> busStates;

void handleRequest(const Monitor& monitor, BusState& state, const uint8_t* data, size_t size) {
    state.reply.clear();
    state.requestTime = Clock::now();
    const size_t length = size >= 2 ? data[1] & 0x7F : 0;
    if (size < length + 3 || length == 0 || data[0] != hostAddress || !(data[1] & 0x80))
        return;
    uint8_t checksum = displayAddress;
    for (size_t i = 0; i < length + 2; ++i)
        checksum ^= data[i];
    if (checksum != data[length + 2])
        return; // a garbled request goes unanswered
    const uint8_t* request = data + 2;
    if (request[0] == 0x01 && length >= 2) { // Get VCP Feature
        const std::optional<Vcp> value = monitor.vcp(request[1]);
        const Vcp v = value.value_or(Vcp{});
        state.reply =
            reply({0x02, uint8_t(value ? 0x00 : 0x01), request[1], 0x00, uint8_t(v.maximum >> 8),
                   uint8_t(v.maximum), uint8_t(v.current >> 8), uint8_t(v.current)});
    } else if (request[0] == 0x03 && length >= 4) { // Set VCP Feature: no reply
        monitor.markSet();
        if (!monitor.has("ignore-set"))
            monitor.setVcp(request[1], uint16_t(request[2] << 8 | request[3]));
    } else if (request[0] == 0xF3 && length >= 3) { // Capabilities Request, 32 bytes at a time
        const std::string text = capabilities(monitor);
        const size_t offset = std::min<size_t>(request[1] << 8 | request[2], text.size());
        const size_t count = std::min<size_t>(32, text.size() - offset);
        std::vector<uint8_t> fragment(3 + count);
        fragment[0] = 0xE3;
        fragment[1] = request[1];
        fragment[2] = request[2];
        std::copy_n(text.begin() + long(offset), count, fragment.begin() + 3);
        state.reply = reply(fragment);
    }
}

// What the monitor does with one I2C message. Returns 0 or an errno.
int carry(const Monitor& monitor, uint16_t address, bool reading, uint8_t* data, size_t size) {
    const int bus = monitor.bus();
    if (flagSet("bus-timing"))
        std::this_thread::sleep_for(byteTime * (size + 1));
    const std::lock_guard guard(lock);
    BusState& state = busStates[bus];

    if (address == edidAddress) {
        if (monitor.has("no-edid"))
            return ENXIO;
        if (reading) {
            const std::vector<uint8_t> block = edid(monitor);
            for (size_t i = 0; i < size; ++i) // a one-block EEPROM wraps around
                data[i] = block[(state.edidOffset + i) % block.size()];
            state.edidOffset = uint8_t(state.edidOffset + size);
        } else if (size > 0) {
            state.edidOffset = data[0];
        }
        return 0;
    }
    if (address != ddcAddress || monitor.has("nack"))
        return ENXIO;
    if (monitor.has("nack-eremoteio"))
        return EREMOTEIO;
    if (monitor.has("timeout")) {
        std::this_thread::sleep_for(monitor.timeout());
        return ETIMEDOUT;
    }
    const bool dropped = monitor.has("drop-after-set") && monitor.settlingAfterSet();
    if (!reading) {
        if (!dropped)
            handleRequest(monitor, state, data, size);
        return 0;
    }
    const bool early =
        flagSet("reply-delay") && Clock::now() - state.requestTime < replyPrepareTime;
    std::vector<uint8_t> answer = reply({}); // the null message: nothing to say
    if (!dropped && !early && !state.reply.empty() && !monitor.has("null-reply"))
        answer = std::exchange(state.reply, {});
    if (monitor.has("bad-checksum"))
        answer.back() ^= 0x5A;
    answer.resize(std::max(answer.size(), size), 0x00);
    std::copy_n(answer.begin(), size, data);
    return 0;
}

// One I2C message on an emulated bus. Returns 0 or an errno.
int transfer(int bus, uint16_t address, bool reading, uint8_t* data, size_t size) {
    const Monitor monitor(bus);
    if (!monitor.present())
        return ENODEV;
    const int64_t start = nanosecondsNow();
    monitor.countMessage();
    const int error = carry(monitor, address, reading, data, size);
    monitor.logMessage(start, address, reading, data, size, error);
    return error;
}

// ---- Descriptors of open emulated buses ----

struct OpenBus {
    int bus = -1;
    uint16_t address = 0;
};
std::map<int, OpenBus> openBuses;
std::atomic<int> openCount = 0; // lets every other descriptor skip the lock

std::optional<OpenBus> openBus(int fd) {
    if (openCount == 0)
        return std::nullopt;
    const std::lock_guard guard(lock);
    const auto found = openBuses.find(fd);
    return found == openBuses.end() ? std::nullopt : std::optional(found->second);
}

// The descriptor, or -1 with errno; nullopt when the path is no emulated bus.
std::optional<int> openNode(const char* path, int flags) {
    const std::optional<int> bus = busOfNode(path);
    if (!bus)
        return std::nullopt;
    const Monitor monitor(*bus);
    if (!monitor.present())
        return errno = ENOENT, -1;
    if (monitor.has("no-access"))
        return errno = EACCES, -1;
    // A real descriptor, of one file per bus, so fcntl, poll and flock (shared by every
    // opener of the bus, as with the device node) need nothing from us.
    REAL(open);
    const int fd = real_open(monitor.file("node").c_str(),
                             O_RDWR | O_CREAT | (flags & (O_CLOEXEC | O_NONBLOCK)), 0600);
    if (fd >= 0) {
        const std::lock_guard guard(lock);
        openBuses[fd] = {*bus};
        ++openCount;
    }
    return fd;
}

std::optional<int> nodeStat(const char* path, struct stat* buffer) {
    const std::optional<int> bus = busOfNode(path);
    if (!bus)
        return std::nullopt;
    if (!Monitor(*bus).present())
        return errno = ENOENT, -1;
    *buffer = {};
    buffer->st_mode = S_IFCHR | 0660;
    buffer->st_rdev = makedev(i2cDevMajor, *bus);
    buffer->st_nlink = 1;
    return 0;
}

std::optional<int> nodeAccess(const char* path, int mode) {
    const std::optional<int> bus = busOfNode(path);
    if (!bus)
        return std::nullopt;
    const Monitor monitor(*bus);
    if (!monitor.present())
        return errno = ENOENT, -1;
    if (monitor.has("no-access") && (mode & (R_OK | W_OK)))
        return errno = EACCES, -1;
    return 0;
}

// ---- sysfs, as the ddcutil command reads it ----

// A connector keeps the EDID of what is plugged into it, as the kernel does at a hot-plug.
void syncConnectors(const fs::path& drm) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(*stateDir(), error)) {
        const std::optional<int> bus = busOfName(entry.path().filename().string());
        const std::string name = bus ? Monitor(*bus).text("connector", "") : "";
        if (name.empty())
            continue;
        const Monitor monitor(*bus);
        const fs::path connector = drm / ("card0-" + name);
        fs::create_directories(connector, error);
        if (!fs::is_symlink(connector / "ddc"))
            fs::create_directory_symlink("../../../bus/i2c/devices/i2c-" + std::to_string(*bus),
                                         connector / "ddc", error);
        const std::vector<uint8_t> block =
            monitor.present() && !monitor.has("no-edid") ? edid(monitor) : std::vector<uint8_t>{};
        const std::string bytes(block.begin(), block.end());
        if (readText(connector / "edid") != bytes || !fs::exists(connector / "edid"))
            writeText(connector / "edid", bytes);
        writeText(connector / "status", monitor.present() ? "connected\n" : "disconnected\n");
    }
}

// Brought up to date once a process looks, so it follows the monitors present now; only changed,
// never cleared, as other processes may be reading it.
void syncSysfs() {
    const fs::path sys = *stateDir() / "sys";
    const fs::path adapters = sys / "bus/i2c/devices";
    const std::vector<int> present = presentBuses();
    std::error_code error;
    fs::create_directories(sys / "class/drm", error);
    fs::create_directories(adapters, error);
    for (const auto& entry : fs::directory_iterator(adapters, error)) {
        const std::optional<int> bus = busOfName(entry.path().filename().string());
        if (!bus || !std::binary_search(present.begin(), present.end(), *bus))
            fs::remove_all(entry.path(), error);
    }
    for (const int bus : present) {
        const std::string name = "i2c-" + std::to_string(bus);
        const fs::path adapter = adapters / name;
        const fs::path node = adapter / "i2c-dev" / name;
        if (fs::exists(node / "dev"))
            continue;
        fs::create_directories(node, error);
        fs::create_directories(adapter / "device", error);
        writeText(adapter / "name", "emulated DDC/CI monitor\n");
        // A display controller's bus, not some sensor's: ddcutil looks at the parent's class.
        writeText(adapter / "device/class", "0x030000\n");
        writeText(node / "name", "emulated DDC/CI monitor\n");
        writeText(node / "dev", std::to_string(i2cDevMajor) + ":" + std::to_string(bus) + "\n");
    }
    syncConnectors(sys / "class/drm");
}

// /sys/bus/i2c/... and /sys/class/drm/... are read from the state folder's sys/.
std::string redirected(const char* path) {
    static const char* const folders[] = {"/sys/bus/i2c", "/sys/class/drm"};
    if (!path || !stateDir() || strncmp(path, "/sys/", 5) != 0)
        return path ? path : "";
    for (const char* folder : folders) {
        const size_t length = strlen(folder);
        if (strncmp(path, folder, length) == 0 && (path[length] == '/' || !path[length])) {
            static std::once_flag synced;
            std::call_once(synced, syncSysfs);
            return (*stateDir() / "sys").string() + (path + 4);
        }
    }
    return path;
}

// ---- libudev: the emulated buses are the whole "i2c-dev" subsystem ----

// A list entry or device of ours; libudev's own are told apart by their address.
struct FakeEntry {
    std::string name;
    FakeEntry* next = nullptr;
};
struct FakeDevice {
    explicit FakeDevice(int bus)
        : sysname("i2c-" + std::to_string(bus)), sysnum(std::to_string(bus)),
          syspath("/sys/bus/i2c/devices/" + sysname + "/i2c-dev/" + sysname),
          devpath(syspath.substr(4)), devnode("/dev/" + sysname) {}
    std::string sysname, sysnum, syspath, devpath, devnode;
};
std::map<udev_enumerate*, std::vector<std::unique_ptr<FakeEntry>>> i2cEnumerations;
std::set<const void*> fakeEntries;
std::map<const void*, std::unique_ptr<FakeDevice>> fakeDevices;

FakeEntry* fake(udev_list_entry* entry) {
    const std::lock_guard guard(lock);
    return fakeEntries.contains(entry) ? reinterpret_cast<FakeEntry*>(entry) : nullptr;
}

FakeDevice* fake(udev_device* device) {
    const std::lock_guard guard(lock);
    const auto found = fakeDevices.find(device);
    return found == fakeDevices.end() ? nullptr : found->second.get();
}

void forgetEntries(udev_enumerate* enumerate) {
    for (const auto& entry : i2cEnumerations[enumerate])
        fakeEntries.erase(entry.get());
    i2cEnumerations[enumerate].clear();
}

// ---- /dev listings: the emulated nodes instead of the real ones ----

struct DevListing {
    std::vector<int> buses;
    size_t next = 0;
    dirent64 entry{};
};
std::map<DIR*, DevListing> devListings;

void listBuses(DIR* dir) {
    std::vector<int> present = presentBuses();
    const std::lock_guard guard(lock);
    devListings[dir] = {std::move(present)};
}

template <typename Entry> Entry* listNext(DIR* dir, Entry* (*real)(DIR*)) {
    {
        const std::lock_guard guard(lock);
        if (!devListings.contains(dir))
            return real(dir);
    }
    while (Entry* entry = real(dir)) {
        if (!busOfName(entry->d_name))
            return entry;
    }
    const std::lock_guard guard(lock);
    DevListing& listing = devListings[dir];
    if (listing.next == listing.buses.size())
        return nullptr;
    const int bus = listing.buses[listing.next++];
    listing.entry = {};
    listing.entry.d_ino = makedev(i2cDevMajor, bus) + 1;
    listing.entry.d_type = DT_CHR;
    listing.entry.d_reclen = sizeof listing.entry;
    snprintf(listing.entry.d_name, sizeof listing.entry.d_name, "i2c-%d", bus);
    static_assert(sizeof(Entry) == sizeof(dirent64));
    return reinterpret_cast<Entry*>(&listing.entry);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

// Visible whatever the build's default, or nothing would be replaced.
#pragma GCC visibility push(default)
extern "C" {

// ---- libc: files and descriptors ----

int open(const char* path, int flags, ...) {
    REAL(open);
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (const std::optional<int> fd = openNode(path, flags))
        return *fd;
    return real_open(redirected(path).c_str(), flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    REAL(openat);
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (const std::optional<int> fd = openNode(path, flags))
        return *fd;
    return real_openat(dirfd, redirected(path).c_str(), flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return open(path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return openat(dirfd, path, flags, mode);
}

int __open_2(const char* path, int flags) {
    return open(path, flags);
}
int __open64_2(const char* path, int flags) {
    return open(path, flags);
}
int __openat_2(int dirfd, const char* path, int flags) {
    return openat(dirfd, path, flags);
}
int __openat64_2(int dirfd, const char* path, int flags) {
    return openat(dirfd, path, flags);
}

FILE* fopen(const char* path, const char* mode) {
    REAL(fopen);
    return real_fopen(redirected(path).c_str(), mode);
}

FILE* fopen64(const char* path, const char* mode) {
    return fopen(path, mode);
}

int close(int fd) {
    REAL(close);
    if (openBus(fd)) {
        const std::lock_guard guard(lock);
        if (openBuses.erase(fd))
            --openCount;
    }
    return real_close(fd);
}

ssize_t read(int fd, void* buffer, size_t size) {
    REAL(read);
    const std::optional<OpenBus> open = openBus(fd);
    if (!open)
        return real_read(fd, buffer, size);
    if (const int error =
            transfer(open->bus, open->address, true, static_cast<uint8_t*>(buffer), size))
        return errno = error, -1;
    return ssize_t(size);
}

ssize_t __read_chk(int fd, void* buffer, size_t size, size_t) {
    return read(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
    REAL(write);
    const std::optional<OpenBus> open = openBus(fd);
    if (!open)
        return real_write(fd, buffer, size);
    std::vector<uint8_t> bytes(static_cast<const uint8_t*>(buffer),
                               static_cast<const uint8_t*>(buffer) + size);
    if (const int error = transfer(open->bus, open->address, false, bytes.data(), size))
        return errno = error, -1;
    return ssize_t(size);
}

int ioctl(int fd, unsigned long request, ...) {
    REAL(ioctl);
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    const std::optional<OpenBus> open = openBus(fd);
    if (!open)
        return real_ioctl(fd, request, argument);
    switch (request) {
    case I2C_SLAVE:
    case I2C_SLAVE_FORCE: {
        const auto address = reinterpret_cast<uintptr_t>(argument);
        if (address > 0x7F)
            return errno = EINVAL, -1;
        const std::lock_guard guard(lock);
        openBuses[fd].address = uint16_t(address);
        return 0;
    }
    case I2C_FUNCS:
        *static_cast<unsigned long*>(argument) = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
        return 0;
    case I2C_RDWR: {
        const auto* batch = static_cast<const i2c_rdwr_ioctl_data*>(argument);
        for (uint32_t i = 0; i < batch->nmsgs; ++i) {
            const i2c_msg& message = batch->msgs[i];
            if (const int error = transfer(open->bus, message.addr, message.flags & I2C_M_RD,
                                           message.buf, message.len))
                return errno = error, -1;
        }
        return int(batch->nmsgs);
    }
    case I2C_TIMEOUT:
    case I2C_RETRIES:
        return 0;
    default:
        return errno = ENOTTY, -1;
    }
}

// ddcutil asks the kernel which device a descriptor is.
ssize_t readlink(const char* path, char* buffer, size_t size) {
    REAL(readlink);
    int fd = -1;
    if (sscanf(path, "/proc/self/fd/%d", &fd) == 1) {
        if (const std::optional<OpenBus> open = openBus(fd)) {
            const std::string node = "/dev/i2c-" + std::to_string(open->bus);
            const size_t length = std::min(size, node.size());
            memcpy(buffer, node.data(), length);
            return ssize_t(length);
        }
    }
    return real_readlink(redirected(path).c_str(), buffer, size);
}

char* realpath(const char* path, char* resolved) {
    REAL(realpath);
    return real_realpath(redirected(path).c_str(), resolved);
}

// ---- libc: file status ----

int stat(const char* path, struct stat* buffer) {
    REAL(stat);
    if (const std::optional<int> result = nodeStat(path, buffer))
        return *result;
    return real_stat(redirected(path).c_str(), buffer);
}

int lstat(const char* path, struct stat* buffer) {
    REAL(lstat);
    if (const std::optional<int> result = nodeStat(path, buffer))
        return *result;
    return real_lstat(redirected(path).c_str(), buffer);
}

int fstatat(int dirfd, const char* path, struct stat* buffer, int flags) {
    REAL(fstatat);
    if (const std::optional<int> result = nodeStat(path, buffer))
        return *result;
    return real_fstatat(dirfd, redirected(path).c_str(), buffer, flags);
}

int stat64(const char* path, struct stat64* buffer) {
    return stat(path, reinterpret_cast<struct stat*>(buffer));
}

int lstat64(const char* path, struct stat64* buffer) {
    return lstat(path, reinterpret_cast<struct stat*>(buffer));
}

int fstatat64(int dirfd, const char* path, struct stat64* buffer, int flags) {
    return fstatat(dirfd, path, reinterpret_cast<struct stat*>(buffer), flags);
}

// How coreutils look (ls, stat, test in some shells).
int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* buffer) {
    REAL(statx);
    struct stat node {};
    const std::optional<int> result = nodeStat(path, &node);
    if (!result)
        return real_statx(dirfd, redirected(path).c_str(), flags, mask, buffer);
    if (*result == 0) {
        *buffer = {};
        buffer->stx_mask = STATX_TYPE | STATX_MODE | STATX_NLINK;
        buffer->stx_mode = uint16_t(node.st_mode);
        buffer->stx_nlink = 1;
        buffer->stx_rdev_major = major(node.st_rdev);
        buffer->stx_rdev_minor = minor(node.st_rdev);
    }
    return *result;
}

int access(const char* path, int mode) {
    REAL(access);
    if (const std::optional<int> result = nodeAccess(path, mode))
        return *result;
    return real_access(redirected(path).c_str(), mode);
}

int faccessat(int dirfd, const char* path, int mode, int flags) {
    REAL(faccessat);
    if (const std::optional<int> result = nodeAccess(path, mode))
        return *result;
    return real_faccessat(dirfd, redirected(path).c_str(), mode, flags);
}

// ---- libc: folders ----

DIR* opendir(const char* path) {
    REAL(opendir);
    DIR* dir = real_opendir(redirected(path).c_str());
    if (dir && stateDir() && (strcmp(path, "/dev") == 0 || strcmp(path, "/dev/") == 0))
        listBuses(dir);
    return dir;
}

// How std::filesystem opens a folder.
DIR* fdopendir(int fd) {
    REAL(fdopendir);
    struct stat folder {
    }, dev{};
    const bool isDev =
        stateDir() && fstat(fd, &folder) == 0 && stat("/dev", &dev) == 0 && sameFile(folder, dev);
    DIR* dir = real_fdopendir(fd);
    if (dir && isDev)
        listBuses(dir);
    return dir;
}

dirent* readdir(DIR* dir) {
    REAL(readdir);
    return listNext(dir, real_readdir);
}

dirent64* readdir64(DIR* dir) {
    REAL(readdir64);
    return listNext(dir, real_readdir64);
}

int closedir(DIR* dir) {
    REAL(closedir);
    {
        const std::lock_guard guard(lock);
        devListings.erase(dir);
    }
    return real_closedir(dir);
}

// ---- libudev ----

int udev_enumerate_add_match_subsystem(udev_enumerate* enumerate, const char* subsystem) {
    REAL(udev_enumerate_add_match_subsystem);
    if (stateDir() && subsystem && strcmp(subsystem, "i2c-dev") == 0) {
        const std::lock_guard guard(lock);
        i2cEnumerations[enumerate];
    }
    return real_udev_enumerate_add_match_subsystem(enumerate, subsystem);
}

int udev_enumerate_scan_devices(udev_enumerate* enumerate) {
    REAL(udev_enumerate_scan_devices);
    const std::lock_guard guard(lock);
    if (!i2cEnumerations.contains(enumerate))
        return real_udev_enumerate_scan_devices(enumerate);
    forgetEntries(enumerate);
    auto& entries = i2cEnumerations[enumerate];
    for (const int bus : presentBuses()) {
        entries.push_back(std::make_unique<FakeEntry>(FakeEntry{FakeDevice(bus).syspath}));
        fakeEntries.insert(entries.back().get());
        if (entries.size() > 1)
            entries[entries.size() - 2]->next = entries.back().get();
    }
    return 0;
}

udev_list_entry* udev_enumerate_get_list_entry(udev_enumerate* enumerate) {
    REAL(udev_enumerate_get_list_entry);
    const std::lock_guard guard(lock);
    const auto found = i2cEnumerations.find(enumerate);
    if (found == i2cEnumerations.end())
        return real_udev_enumerate_get_list_entry(enumerate);
    return found->second.empty() ? nullptr
                                 : reinterpret_cast<udev_list_entry*>(found->second[0].get());
}

udev_enumerate* udev_enumerate_unref(udev_enumerate* enumerate) {
    REAL(udev_enumerate_unref);
    {
        const std::lock_guard guard(lock);
        if (i2cEnumerations.contains(enumerate)) {
            forgetEntries(enumerate);
            i2cEnumerations.erase(enumerate);
        }
    }
    return real_udev_enumerate_unref(enumerate);
}

udev_list_entry* udev_list_entry_get_next(udev_list_entry* entry) {
    REAL(udev_list_entry_get_next);
    if (const FakeEntry* ours = fake(entry))
        return reinterpret_cast<udev_list_entry*>(ours->next);
    return real_udev_list_entry_get_next(entry);
}

const char* udev_list_entry_get_name(udev_list_entry* entry) {
    REAL(udev_list_entry_get_name);
    if (const FakeEntry* ours = fake(entry))
        return ours->name.c_str();
    return real_udev_list_entry_get_name(entry);
}

const char* udev_list_entry_get_value(udev_list_entry* entry) {
    REAL(udev_list_entry_get_value);
    return fake(entry) ? nullptr : real_udev_list_entry_get_value(entry);
}

udev_device* udev_device_new_from_syspath(udev* context, const char* syspath) {
    REAL(udev_device_new_from_syspath);
    const std::string_view path = syspath ? syspath : "";
    const size_t name = path.rfind('/') + 1;
    const std::optional<int> bus = stateDir() ? busOfName(path.substr(name)) : std::nullopt;
    if (!bus || !Monitor(*bus).present() || FakeDevice(*bus).syspath != path)
        return real_udev_device_new_from_syspath(context, syspath);
    auto device = std::make_unique<FakeDevice>(*bus);
    auto* handle = reinterpret_cast<udev_device*>(device.get());
    const std::lock_guard guard(lock);
    fakeDevices[handle] = std::move(device);
    return handle;
}

udev_device* udev_device_unref(udev_device* device) {
    REAL(udev_device_unref);
    if (!fake(device))
        return real_udev_device_unref(device);
    const std::lock_guard guard(lock);
    fakeDevices.erase(device);
    return nullptr;
}

#define FAKE_DEVICE_TEXT(field, value)                                                             \
    const char* udev_device_get_##field(udev_device* device) {                                     \
        REAL(udev_device_get_##field);                                                             \
        if (const FakeDevice* ours = fake(device))                                                 \
            return value;                                                                          \
        return real_udev_device_get_##field(device);                                               \
    }
FAKE_DEVICE_TEXT(sysname, ours->sysname.c_str())
FAKE_DEVICE_TEXT(sysnum, ours->sysnum.c_str())
FAKE_DEVICE_TEXT(syspath, ours->syspath.c_str())
FAKE_DEVICE_TEXT(devpath, ours->devpath.c_str())
FAKE_DEVICE_TEXT(devnode, ours->devnode.c_str())
FAKE_DEVICE_TEXT(subsystem, ((void)ours, "i2c-dev"))
#undef FAKE_DEVICE_TEXT

const char* udev_device_get_sysattr_value(udev_device* device, const char* name) {
    REAL(udev_device_get_sysattr_value);
    if (fake(device))
        return name && strcmp(name, "name") == 0 ? "emulated DDC/CI monitor" : nullptr;
    return real_udev_device_get_sysattr_value(device, name);
}

const char* udev_device_get_property_value(udev_device* device, const char* key) {
    REAL(udev_device_get_property_value);
    if (const FakeDevice* ours = fake(device))
        return key && strcmp(key, "DEVNAME") == 0 ? ours->devnode.c_str() : nullptr;
    return real_udev_device_get_property_value(device, key);
}

} // extern "C"
#pragma GCC visibility pop
