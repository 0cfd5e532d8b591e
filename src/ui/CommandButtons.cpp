#include "ui/CommandButtons.h"

#include "style/Icons.h"
#include "style/Theme.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace lumora {

namespace {

constexpr int spacing = 12;

QPushButton* button(const QString& objectName, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    // The same room around the label as the prominent button has.
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 5px 12px; }"));
    return button;
}

} // namespace

CommandButtons::CommandButtons(const Wording& wording, QWidget* parent) : QWidget(parent) {
    m_sync = button(QStringLiteral("sync"), wording.withBuiltin(QStringLiteral("同步到")), this);
    theme::makeProminent(m_sync);
    m_autoSync = button(QStringLiteral("autoSync"), QString(), this);
    m_blackoutTest = button(QStringLiteral("blackoutTest"), QString(), this);
    m_refresh = button(QStringLiteral("refresh"), QString(), this);
    m_refresh->setIcon(icons::forButton(icons::refresh, palette().color(QPalette::ButtonText),
                                        palette().color(QPalette::Disabled, QPalette::ButtonText)));
    m_refresh->setToolTip(QStringLiteral("刷新亮度"));
    m_refresh->setAccessibleName(QStringLiteral("刷新亮度"));

    connect(m_sync, &QPushButton::clicked, this, &CommandButtons::syncToMainDisplay);
    connect(m_autoSync, &QPushButton::clicked, this, &CommandButtons::toggleAutoSync);
    connect(m_blackoutTest, &QPushButton::clicked, this, &CommandButtons::toggleBlackoutTest);
    connect(m_refresh, &QPushButton::clicked, this, &CommandButtons::refresh);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addStretch();
    for (QPushButton* each : {m_sync, m_autoSync, m_blackoutTest, m_refresh})
        layout->addWidget(each);
    layout->addStretch();
}

void CommandButtons::showState(const State& state) {
    m_autoSync->setText(state.isAutoSyncing ? QStringLiteral("暂停自动同步")
                                            : QStringLiteral("开启 F1/F2 自动同步"));
    m_blackoutTest->setText(state.isTestingBlackout ? QStringLiteral("重新开启背光")
                                                    : QStringLiteral("测试关闭外接屏背光"));
    setEnabled(!state.isWorking);
}

} // namespace lumora
