#pragma once

#include "platform/Displays.h"
#include "platform/ScreenWindows.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>

class QParallelAnimationGroup;

namespace lumora {

class HUDModel;
class HUDView;

// How long the overlay stays after the last showing, and how long it takes to fade.
struct HUDTiming {
    std::chrono::milliseconds hideDelay{1500};
    std::chrono::milliseconds fadeDuration{300};
};

// The brightness overlay: one window in the top-right corner of every external screen, made at its
// first showing and reused, faded out 1.5 s after the last showing.
class BrightnessHUD : public QObject {
    Q_OBJECT

public:
    explicit BrightnessHUD(Displays& displays, HUDTiming timing = {}, QObject* parent = nullptr);
    ~BrightnessHUD() override;

    // Shows `brightness` (a percentage) on every external screen and restarts the fade-out.
    void show(qint64 brightness);
    // Takes every overlay away at once and cancels a pending fade-out.
    void hideImmediately();

private:
    struct Entry {
        std::unique_ptr<HUDModel> model;
        std::unique_ptr<HUDView> window;
    };

    void hide();
    static Entry makeEntry();

    Displays& m_displays;
    const HUDTiming m_timing;
    ScreenWindows<Entry> m_entries;
    QTimer m_hideTimer;
    QPointer<QParallelAnimationGroup> m_fade;
};

} // namespace lumora
