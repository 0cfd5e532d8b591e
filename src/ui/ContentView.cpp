#include "ui/ContentView.h"

#include "control/BrightnessController.h"
#include "style/Icons.h"
#include "style/Theme.h"
#include "ui/CommandButtons.h"
#include "ui/MonitorRow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lumora {

namespace {

constexpr int spacing = 20;
constexpr int padding = 28;
constexpr int headerSpacing = 6;
constexpr int sunSize = 32;

QLabel* label(const QString& objectName, const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLayout* header(const Wording& wording, QWidget* parent) {
    auto* sun = new QLabel(parent);
    sun->setObjectName(QStringLiteral("sun"));
    sun->setPixmap(icons::sun(sunSize, theme::yellow()));
    sun->setAlignment(Qt::AlignCenter);
    auto* description =
        label(QStringLiteral("description"), wording.description, theme::body(), parent);
    theme::useSecondaryColor(description);

    auto* layout = new QVBoxLayout;
    layout->setSpacing(headerSpacing);
    layout->addWidget(sun);
    layout->addWidget(
        label(QStringLiteral("title"), QStringLiteral("Lumora 测试"), theme::title(), parent));
    layout->addWidget(description);
    return layout;
}

} // namespace

ContentView::ContentView(BrightnessController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller) {
    m_status = label(QStringLiteral("status"), QString(), theme::footnote(), this);
    m_status->setWordWrap(true);
    // A tool's stderr ends up here: markup in it is text, never formatting.
    m_status->setTextFormat(Qt::PlainText);
    theme::useSecondaryColor(m_status);

    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(spacing);
    m_layout->setContentsMargins(padding, padding, padding, padding);
    m_commands = new CommandButtons(controller.wording(), this);
    connect(m_commands, &CommandButtons::syncToMainDisplay, &m_controller,
            &BrightnessController::syncToMainDisplay);
    connect(m_commands, &CommandButtons::toggleAutoSync, &m_controller,
            &BrightnessController::toggleAutoSync);
    connect(m_commands, &CommandButtons::toggleBlackoutTest, &m_controller,
            &BrightnessController::toggleBlackoutTest);
    connect(m_commands, &CommandButtons::refresh, &m_controller, &BrightnessController::refresh);

    m_layout->addLayout(header(controller.wording(), this));
    m_layout->addWidget(m_commands);
    m_layout->addWidget(m_status);

    connect(&m_controller, &BrightnessController::objectWillChange, this,
            &ContentView::scheduleRender);
    render();
}

void ContentView::scheduleRender() {
    // The signal comes before the write, and several writes often follow each other: render once,
    // after they have all happened.
    if (m_renderPending)
        return;
    m_renderPending = true;
    QMetaObject::invokeMethod(this, &ContentView::render, Qt::QueuedConnection);
}

void ContentView::render() {
    m_renderPending = false;
    renderRows();
    m_commands->showState({.isWorking = m_controller.isWorking(),
                           .isAutoSyncing = m_controller.isAutoSyncing(),
                           .isTestingBlackout = m_controller.isTestingBlackout()});
    m_status->setText(m_controller.status());
}

void ContentView::renderRows() {
    const QList<Monitor>& monitors = m_controller.monitors();
    while (m_rows.size() > monitors.size())
        delete m_rows.takeLast();
    while (m_rows.size() < monitors.size())
        m_rows.append(makeRow());
    for (qsizetype index = 0; index < monitors.size(); ++index) {
        m_rows[index]->setObjectName(QStringLiteral("monitor-%1").arg(monitors[index].id));
        m_rows[index]->showMonitor(monitors[index], m_controller.isWorking());
    }
}

MonitorRow* ContentView::makeRow() {
    auto* row = new MonitorRow(this);
    // Rows sit between the header and the command buttons.
    m_layout->insertWidget(1 + int(m_rows.size()), row);
    connect(row, &MonitorRow::change, this,
            [this, row](qint64 step) { m_controller.change(row->monitor(), step); });
    connect(row, &MonitorRow::calibrate, this, &ContentView::calibrationRequested);
    return row;
}

} // namespace lumora
