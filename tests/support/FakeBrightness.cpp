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

QString FakeBrightness::lastDisplayAsked() const {
    QFile in(file() + QStringLiteral(".display"));
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).trimmed() : QString();
}

} // namespace lumora::test
