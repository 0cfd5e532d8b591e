// The monitors' curves: what each is given for a built-in level, learned from the user's own steps
// while following, with its limits, kept between runs once the user asked for it.
#include "control/BrightnessController.h"

namespace lumora {

void BrightnessController::loadCurves() {
    const Result<LoadedCurves, QString> loaded = m_curveStore.load();
    if (!loaded.ok()) {
        m_curvesNotice = QStringLiteral("无法读取亮度曲线：") + loaded.failure();
        return;
    }
    m_curves = loaded.value().curves;
    if (loaded.value().repaired)
        m_curvesNotice = QStringLiteral("亮度曲线文件有损坏的部分，已修复");
}

QString BrightnessController::curveKey(qsizetype index) const {
    const QString& serial = m_lanes[index]->state().serial;
    if (serial.isEmpty() || !m_monitors[index].isConnected)
        return {};
    // Out of the box the serial alone may be a token the tools make up: the name goes with it.
    return m_finder ? m_monitors[index].name + u'/' + serial : serial;
}

MonitorCurve BrightnessController::curve(qsizetype index) const {
    const auto stored = m_curves.constFind(curveKey(index));
    if (stored != m_curves.cend())
        return stored->curve;
    return MonitorCurve(m_monitors[index].maximum.value_or(100));
}

bool BrightnessController::isLearning(qsizetype index) const {
    return m_curves.value(curveKey(index)).learning;
}

void BrightnessController::setCurveMinimum(qsizetype index, qint64 luminance) {
    editCurve(
        index, [&](StoredCurve& stored) { stored.curve.setMinimum(luminance); }, true);
}

void BrightnessController::setCurveMaximum(qsizetype index, qint64 luminance) {
    editCurve(
        index, [&](StoredCurve& stored) { stored.curve.setMaximum(luminance); }, true);
}

void BrightnessController::setLearning(qsizetype index, bool isLearning) {
    editCurve(
        index, [&](StoredCurve& stored) { stored.learning = isLearning; }, false);
}

void BrightnessController::resetCurve(qsizetype index) {
    editCurve(
        index, [](StoredCurve& stored) { stored.curve.reset(); }, true);
}

void BrightnessController::learnStep(qsizetype index, qint64 luminance) {
    // Only a step made while following corrects a level; the monitor already holds the value.
    if (!m_isAutoSyncing || m_lastMainBrightness.value_or(0) < 1 || !isLearning(index))
        return;
    const qint64 level = *m_lastMainBrightness;
    editCurve(
        index, [&](StoredCurve& stored) { stored.curve.learn(level, luminance); }, false);
}

void BrightnessController::editCurve(qsizetype index, const std::function<void(StoredCurve&)>& edit,
                                     bool reapply) {
    // The window may ask for a place that has just lost its monitor.
    if (index < 0 || index >= m_monitors.size())
        return;
    const QString key = curveKey(index);
    if (key.isEmpty())
        return;
    emit objectWillChange();
    auto stored = m_curves.find(key);
    if (stored == m_curves.end())
        stored = m_curves.insert(key, {.curve = curve(index), .learning = false});
    edit(*stored);
    if (const Result<void, QString> saved = m_curveStore.save(m_curves); !saved.ok())
        setStatus(QStringLiteral("无法保存亮度曲线：") + saved.failure());
    if (!reapply)
        return;
    m_lanes[index]->forgetLevel();
    builtinBrightnessChanged();
}

} // namespace lumora
