#include "hud/BrightnessHUD.h"

#include "hud/HUDGeometry.h"
#include "hud/HUDModel.h"
#include "hud/HUDView.h"
#include "platform/OverlayWindow.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

namespace lumora {

BrightnessHUD::BrightnessHUD(Displays& displays, HUDTiming timing, QObject* parent)
    : QObject(parent), m_displays(displays), m_timing(timing) {
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &BrightnessHUD::hide);
}

BrightnessHUD::~BrightnessHUD() = default;

void BrightnessHUD::show(qint64 brightness) {
    const double level = hud::levelFraction(brightness);
    // A fade in progress would keep lowering the alpha that is set back to 1 below.
    if (m_fade)
        m_fade->stop();

    // Where windows cannot be placed, an overlay could land on the wrong screen: none is shown.
    m_entries.update(m_displays.canPlaceWindows() ? m_displays.externalScreens() : QList<Screen>(),
                     makeEntry, [level](Entry& entry, const Screen& screen) {
                         entry.model->setTitle(screen.name);
                         entry.model->setLevel(level);
                         entry.window->move(hud::overlayOrigin(screen.availableGeometry));
                         entry.window->setWindowOpacity(1.0);
                         entry.window->show();
                         entry.window->raise();
                     });
    m_hideTimer.start(m_timing.hideDelay);
}

void BrightnessHUD::hideImmediately() {
    m_hideTimer.stop();
    m_entries.forEach([](Entry& entry) { entry.window->hide(); });
}

void BrightnessHUD::hide() {
    QList<QPointer<HUDView>> overlays;
    auto* fade = new QParallelAnimationGroup(this);
    m_entries.forEach([&](Entry& entry) {
        overlays.append(entry.window.get());
        auto* animation = new QPropertyAnimation(entry.window.get(), "windowOpacity", fade);
        animation->setDuration(int(m_timing.fadeDuration.count()));
        animation->setEndValue(0.0);
        fade->addAnimation(animation);
    });
    connect(fade, &QAbstractAnimation::finished, this, [overlays] {
        // An overlay shown again during the fade is back at 1 and stays.
        for (HUDView* overlay : overlays) {
            if (overlay && overlay->windowOpacity() == 0.0)
                overlay->hide();
        }
    });
    m_fade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

BrightnessHUD::Entry BrightnessHUD::makeEntry() {
    Entry entry;
    entry.model = std::make_unique<HUDModel>();
    entry.window = std::make_unique<HUDView>(*entry.model);
    entry.window->setObjectName(QStringLiteral("hud"));
    prepareOverlayWindow(entry.window.get());
    return entry;
}

} // namespace lumora
