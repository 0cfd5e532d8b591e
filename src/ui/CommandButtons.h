#pragma once

#include "control/Wording.h"

#include <QWidget>

class QPushButton;

namespace lumora {

// The row of command buttons: sync once, follow on/off, backlight-off test, refresh. Two labels
// follow the controller's modes; the whole row is disabled while the controller works.
class CommandButtons : public QWidget {
    Q_OBJECT

public:
    // The controller's flags the row shows.
    struct State {
        bool isWorking = false;
        bool isAutoSyncing = false;
        bool isTestingBlackout = false;
    };

    explicit CommandButtons(const Wording& wording, QWidget* parent = nullptr);

    void showState(const State& state);

signals:
    void syncToMainDisplay();
    void toggleAutoSync();
    void toggleBlackoutTest();
    void refresh();

private:
    QPushButton* m_sync;
    QPushButton* m_autoSync;
    QPushButton* m_blackoutTest;
    QPushButton* m_refresh;
};

} // namespace lumora
