// Whether the machine runs on battery, from UPower on the system bus; the
// desktop may rest then, when the user chose that.
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

  private slots:
    void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&);

  private:
    bool onBattery_ = false;
};

} // namespace host
