#include "app/StartupTask.h"

#include "control/BrightnessController.h"

#include <QEvent>
#include <QWidget>

namespace lumora {

StartupTask::StartupTask(BrightnessController& controller, QWidget* content)
    : QObject(content), m_controller(controller) {
    content->installEventFilter(this);
}

bool StartupTask::eventFilter(QObject* watched, QEvent* event) {
    // Queued, so the window is on screen before the first sync runs its tools.
    if (event->type() == QEvent::Show)
        QMetaObject::invokeMethod(&m_controller, &BrightnessController::runStartupTask,
                                  Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

} // namespace lumora
