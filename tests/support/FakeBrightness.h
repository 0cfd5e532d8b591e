#pragma once

#include <QString>
#include <QTemporaryDir>

namespace lumora::test {

// Sets what the fake brightness library answers, for as long as this object lives.
class FakeBrightness {
public:
    FakeBrightness();
    ~FakeBrightness();

    void answer(const QString& raw) const; // a fraction such as "0.5", "nan", or "fail"
    void level(int percent) const { answer(QString::number(percent / 100.0)); }
    QString lastDisplayAsked() const;
    int calls() const; // how often the library has been asked

    static QString library() { return QStringLiteral(LUMORA_FAKE_BRIGHTNESS_LIBRARY); }

private:
    QString file() const { return m_folder.filePath(QStringLiteral("brightness")); }

    QTemporaryDir m_folder;
};

} // namespace lumora::test
