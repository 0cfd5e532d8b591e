#include "support/FakeBrightness.h"

#include <QFile>

namespace lumora::test {

FakeBrightness::FakeBrightness() {
    qputenv("LUMORA_FAKE_BRIGHTNESS_FILE", file().toLocal8Bit());
    answer(QStringLiteral("fail"));
}

FakeBrightness::~FakeBrightness() {
    qunsetenv("LUMORA_FAKE_BRIGHTNESS_FILE");
}

void FakeBrightness::answer(const QString& raw) const {
    QFile out(file());
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(raw.toUtf8());
}

static QStringList asked(const QString& file) {
    QFile in(file + QStringLiteral(".display"));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString FakeBrightness::lastDisplayAsked() const {
    const QStringList displays = asked(file());
    return displays.isEmpty() ? QString() : displays.last();
}

int FakeBrightness::calls() const {
    return int(asked(file()).size());
}

} // namespace lumora::test
