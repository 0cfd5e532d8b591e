#pragma once

#include <QObject>
#include <QString>

namespace lumora {

// What one overlay shows: the screen's name and the level as a fraction of full.
class HUDModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const QString& title() const { return m_title; }
    double level() const { return m_level; }
    void setTitle(const QString& title);
    void setLevel(double level);

signals:
    void changed();

private:
    QString m_title;
    double m_level = 0;
};

} // namespace lumora
