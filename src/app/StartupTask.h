#pragma once

#include <QObject>

namespace lumora {

class BrightnessController;

// Runs the controller's start-up actions whenever the content it watches is shown; the
// controller makes sure they happen once per process.
class StartupTask : public QObject {
    Q_OBJECT

public:
    StartupTask(BrightnessController& controller, QWidget* content);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BrightnessController& m_controller;
};

} // namespace lumora
