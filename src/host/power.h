// Whether the machine runs on battery, from UPower on the system bus; the
// desktop may rest then, when the user chose that. And when the machine
// wakes from a sleep, from logind, so that the desktop catches up at once.
#pragma once

#include <QObject>

namespace host {

class PowerWatch : public QObject {
    Q_OBJECT

  public:
    explicit PowerWatch(QObject* parent = nullptr);
    // False where UPower cannot be reached.
    bool OnBattery() const { return onBattery_; }

  signals:
    void Changed();
    void Resumed();

  private slots:
    void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&);
    void PrepareForSleep(bool sleeping);

  private:
    bool onBattery_ = false;
};

} // namespace host
