#include "platform/X11Displays.h"

#include "platform/DrmEdid.h"
#include "platform/Edid.h"

#include <QGuiApplication>
#include <QScreen>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <algorithm>
#include <memory>
#include <set>

namespace lumora {

namespace {

template <typename T, auto Free> using XPtr = std::unique_ptr<T, decltype([](T* p) { Free(p); })>;
using Resources = XPtr<XRRScreenResources, XRRFreeScreenResources>;
using OutputInfo = XPtr<XRROutputInfo, XRRFreeOutputInfo>;
using CrtcInfo = XPtr<XRRCrtcInfo, XRRFreeCrtcInfo>;

Resources resources(Display* display) {
    return Resources(XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display)));
}

std::optional<RROutput> outputNamed(Display* display, const QString& name) {
    const Resources res = resources(display);
    if (!res)
        return std::nullopt;
    for (int i = 0; i < res->noutput; ++i) {
        const OutputInfo info(XRRGetOutputInfo(display, res.get(), res->outputs[i]));
        if (info && info->connection == RR_Connected && info->crtc &&
            QString::fromLatin1(info->name, info->nameLen) == name)
            return res->outputs[i];
    }
    return std::nullopt;
}

QByteArray edidOf(Display* display, RROutput output) {
    const Atom edidAtom = XInternAtom(display, "EDID", True);
    if (edidAtom == None)
        return {};
    unsigned char* data = nullptr;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    if (XRRGetOutputProperty(display, output, edidAtom, 0, 256, False, False, AnyPropertyType,
                             &type, &format, &count, &remaining, &data) != Success)
        return {};
    QByteArray edid(reinterpret_cast<const char*>(data), qsizetype(count));
    XFree(data);
    return edid;
}

// XWayland marks its outputs: their modes are emulated and their names are its own.
bool isEmulated(Display* display, RROutput output) {
    const Atom emulation = XInternAtom(display, "RANDR Emulation", True);
    if (emulation == None)
        return false;
    unsigned char* data = nullptr;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    if (XRRGetOutputProperty(display, output, emulation, 0, 1, False, False, AnyPropertyType, &type,
                             &format, &count, &remaining, &data) != Success)
        return false;
    const bool emulated = data && count == 1 && format == 32 && *reinterpret_cast<long*>(data);
    XFree(data);
    return emulated;
}

DisplayMode modeFrom(const XRRModeInfo& info) {
    double lines = info.vTotal;
    if (info.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (info.modeFlags & RR_Interlace)
        lines /= 2;
    const double rate = info.hTotal && lines ? double(info.dotClock) / (info.hTotal * lines) : 0;
    return {
        .id = info.id, .width = int(info.width), .height = int(info.height), .refreshRate = rate};
}

// An output with what it is driven by now; pointers stay empty where X has nothing.
struct OutputState {
    Resources resources;
    OutputInfo output;
    CrtcInfo crtc;
};

OutputState outputState(Display* display, RROutput id) {
    OutputState state{resources(display), {}, {}};
    if (state.resources)
        state.output.reset(XRRGetOutputInfo(display, state.resources.get(), id));
    if (state.output && state.output->crtc)
        state.crtc.reset(XRRGetCrtcInfo(display, state.resources.get(), state.output->crtc));
    return state;
}

std::optional<DisplayMode> modeWithId(const XRRScreenResources& res, RRMode id) {
    for (int i = 0; i < res.nmode; ++i) {
        if (res.modes[i].id == id)
            return modeFrom(res.modes[i]);
    }
    return std::nullopt;
}

// Where the output's CRTC puts it, in X's pixels.
std::optional<QRect> crtcFrame(Display* display, RROutput output) {
    const OutputState state = outputState(display, output);
    if (!state.crtc)
        return std::nullopt;
    return QRect(state.crtc->x, state.crtc->y, int(state.crtc->width), int(state.crtc->height));
}

// Where the RandR monitor of that name is, in X's pixels: Qt builds its screens from RandR's
// monitors, and a monitor need not be an output of its own (tiled displays, split ultrawides,
// `xrandr --setmonitor`).
std::optional<QRect> monitorFrame(Display* display, const QString& name) {
    const Atom atom = XInternAtom(display, name.toUtf8().constData(), True);
    if (atom == None)
        return std::nullopt;
    int count = 0;
    const XPtr<XRRMonitorInfo, XRRFreeMonitors> monitors(
        XRRGetMonitors(display, DefaultRootWindow(display), True, &count));
    for (int i = 0; monitors && i < count; ++i) {
        const XRRMonitorInfo& monitor = monitors.get()[i];
        if (monitor.name == atom)
            return QRect(monitor.x, monitor.y, monitor.width, monitor.height);
    }
    return std::nullopt;
}

// The same in Qt's device-independent coordinates.
// Qt keeps a screen's native top-left corner as its place and scales only its size.
QRect deviceIndependent(const QRect& frame, const QScreen* screen) {
    return QRect(frame.topLeft(), (QSizeF(frame.size()) / screen->devicePixelRatio()).toSize());
}

} // namespace

X11Displays::X11Displays(DesktopModes* desktopModes, QString drmFolder, QObject* parent)
    : Displays(parent), m_desktopModes(desktopModes), m_drmFolder(std::move(drmFolder)) {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        m_display = x11->display();
    // Qt's screen list can lag behind a burst of hot-plugs; once the burst has settled, everyone
    // is asked to look again, and the geometry then comes from RandR itself.
    using namespace std::chrono_literals;
    m_settle.setSingleShot(true);
    m_settle.setInterval(500ms);
    connect(&m_settle, &QTimer::timeout, this, &Displays::screenParametersChanged);
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &X11Displays::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            [this] { m_mainDisplay.reset(); });
}

void X11Displays::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &X11Displays::screensChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &X11Displays::screensChanged);
}

void X11Displays::screensChanged() {
    m_mainDisplay.reset();
    m_compositorOutputs.reset();
    m_monitors.clear();
    m_settle.start();
    emit screenParametersChanged();
}

QList<Screen> X11Displays::screens() const {
    QList<Screen> screens;
    for (const Entry& entry : entries())
        screens.append(entry.screen);
    return screens;
}

bool X11Displays::isBuiltin(quint32 display) const {
    const std::optional<Entry> found = entryFor(display);
    return found && isPanelConnector(found->connector);
}

QList<Screen> X11Displays::externalScreens() const {
    // One pass over the screens: each pass asks the X server about every output.
    QList<Screen> external;
    for (const Entry& entry : entries()) {
        if (!isPanelConnector(entry.connector))
            external.append(entry.screen);
    }
    return external;
}

quint32 X11Displays::mainDisplay() const {
    if (!m_mainDisplay) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        const QList<Entry> all = entries();
        const auto found = std::find_if(all.cbegin(), all.cend(), [&](const Entry& entry) {
            return primary && entry.qtName == primary->name();
        });
        m_mainDisplay = found != all.cend() ? found->screen.number.value_or(0) : 0;
    }
    return *m_mainDisplay;
}

std::optional<DisplayMode> X11Displays::currentMode(quint32 display) const {
    const std::optional<Entry> found = entryFor(display);
    if (!found)
        return std::nullopt;
    if (!found->output)
        return m_desktopModes ? m_desktopModes->currentMode(found->connector) : std::nullopt;
    const OutputState state = outputState(m_display, *found->output);
    return state.crtc ? modeWithId(*state.resources, state.crtc->mode) : std::nullopt;
}

QList<DisplayMode> X11Displays::allModes(quint32 display) const {
    QList<DisplayMode> modes;
    const std::optional<Entry> found = entryFor(display);
    if (!found)
        return modes;
    if (!found->output)
        return m_desktopModes ? m_desktopModes->allModes(found->connector) : modes;
    const OutputState state = outputState(m_display, *found->output);
    for (int i = 0; state.output && i < state.output->nmode; ++i) {
        if (const std::optional<DisplayMode> mode =
                modeWithId(*state.resources, state.output->modes[i]))
            modes.append(*mode);
    }
    return modes;
}

Result<void, QString> X11Displays::setMode(quint32 display, const DisplayMode& mode) {
    const std::optional<Entry> found = entryFor(display);
    if (found && !found->output && m_desktopModes)
        return m_desktopModes->setMode(found->connector, mode);
    if (!found || !found->output)
        return QStringLiteral("显示器 %1 没有自己的 RandR 输出").arg(display);
    const OutputState state = outputState(m_display, *found->output);
    if (!state.crtc)
        return QStringLiteral("显示器 %1 没有在用的 CRTC").arg(display);
    const XRRCrtcInfo& crtc = *state.crtc;
    const Status status =
        XRRSetCrtcConfig(m_display, state.resources.get(), state.output->crtc, CurrentTime, crtc.x,
                         crtc.y, RRMode(mode.id), crtc.rotation, crtc.outputs, crtc.noutput);
    XSync(m_display, False);
    if (status != RRSetConfigSuccess)
        return QStringLiteral("XRandR 没有接受显示器 %1 的模式").arg(display);
    return {};
}

bool X11Displays::canPlaceWindows() const {
    // A native Wayland client cannot choose where its windows go.
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

quint32 X11Displays::numberForName(const QString& name) {
    // FNV-1a: the same name gives the same number in every run.
    quint32 hash = 2166136261u;
    for (const char byte : name.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

bool X11Displays::isPanelConnector(const QString& name) {
    for (const char* prefix : {"eDP", "LVDS", "DSI"}) {
        if (name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QList<X11Displays::Entry> X11Displays::entries() const {
    QList<Entry> entries;
    for (QScreen* screen : QGuiApplication::screens())
        entries.append(entry(screen));
    // A number derived from a name may meet a RandR id or another name's number: the later
    // screen moves on to the next free number, so that no two screens share one.
    std::set<quint32> taken;
    for (const Entry& entry : entries) {
        if (entry.output)
            taken.insert(*entry.screen.number);
    }
    for (Entry& entry : entries) {
        if (entry.output)
            continue;
        while (taken.contains(*entry.screen.number))
            entry.screen.number = *entry.screen.number + 1;
        taken.insert(*entry.screen.number);
    }
    return entries;
}

X11Displays::Entry X11Displays::entry(QScreen* screen) const {
    const QString qtName = screen->name();
    Entry entry{.screen = {.number = numberForName(qtName),
                           .name = qtName,
                           .geometry = screen->geometry(),
                           .availableGeometry = screen->availableGeometry(),
                           .serial = {}},
                .qtName = qtName,
                .connector = qtName,
                .output = std::nullopt};
    const std::optional<RROutput> output =
        m_display ? outputNamed(m_display, qtName) : std::nullopt;
    const std::optional<QRect> frame = !m_display ? std::nullopt
                                       : output   ? crtcFrame(m_display, *output)
                                                  : monitorFrame(m_display, qtName);
    if (!output) {
        takeMonitorIdentity(entry, qtName);
    } else if (isEmulated(m_display, *output)) {
        takeCompositorIdentity(entry, frame);
    } else {
        entry.output = quint32(*output);
        entry.screen.number = quint32(*output);
        const QByteArray edid = edidOf(m_display, *output);
        const QString product =
            edid::descriptorText(edid, edid::productNameTag).value_or(QString());
        entry.screen.name = product.isEmpty() ? qtName : product;
        entry.screen.serial = edid::descriptorText(edid, edid::serialTextTag).value_or(QString());
    }
    if (frame) {
        // Qt may not have caught up with a change yet: RandR's frame is the real one.
        const QRect current = deviceIndependent(*frame, screen);
        if (current != entry.screen.geometry) {
            entry.screen.geometry = current;
            entry.screen.availableGeometry = current;
        }
    }
    return entry;
}

void X11Displays::takeCompositorIdentity(Entry& entry, const std::optional<QRect>& frame) const {
    const std::optional<QString> connector =
        frame ? wayland::connectorAt(*frame, compositorOutputs()) : std::nullopt;
    if (!connector)
        return;
    entry.connector = *connector;
    entry.screen.number = numberForName(*connector);
    takeMonitorIdentity(entry, *connector);
}

void X11Displays::takeMonitorIdentity(Entry& entry, const QString& connector) const {
    const MonitorIdentity identity = monitorIdentity(connector);
    entry.screen.name = identity.name;
    entry.screen.serial = identity.serial;
}

X11Displays::MonitorIdentity X11Displays::monitorIdentity(const QString& connector) const {
    if (m_drmFolder.isEmpty())
        return {.name = connector, .serial = {}};
    const auto known = m_monitors.constFind(connector);
    if (known != m_monitors.cend())
        return *known;
    const QByteArray edid = drm::connectorEdid(m_drmFolder, connector);
    const QString product = edid::descriptorText(edid, edid::productNameTag).value_or(QString());
    return m_monitors[connector] = {
               .name = product.isEmpty() ? connector : product,
               .serial = edid::descriptorText(edid, edid::serialTextTag).value_or(QString())};
}

const QList<wayland::Output>& X11Displays::compositorOutputs() const {
    if (!m_compositorOutputs) {
        const Result<QList<wayland::Output>, QString> read = wayland::compositorOutputs();
        m_compositorOutputs = read.ok() ? read.value() : QList<wayland::Output>();
    }
    return *m_compositorOutputs;
}

std::optional<X11Displays::Entry> X11Displays::entryFor(quint32 display) const {
    for (const Entry& entry : entries()) {
        if (entry.screen.number == display)
            return entry;
    }
    return std::nullopt;
}

} // namespace lumora
