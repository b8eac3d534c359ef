// The platform as a plugin linked into the host (zelkora-desktop chooses it
// by name when the compositor offers layer-shell).
#include "host/wayland/layer_integration.h"

#include <qpa/qplatformintegrationplugin.h>

namespace host::wayland {

class LayerPlugin : public QPlatformIntegrationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QPlatformIntegrationFactoryInterface_iid FILE "layer_plugin.json")

  public:
    QPlatformIntegration* create(const QString& key, const QStringList&) override {
        return key.compare(QLatin1String(kPlatformName), Qt::CaseInsensitive) == 0 ? new Integration
                                                                                  : nullptr;
    }
};

} // namespace host::wayland

#include "layer_plugin.moc"
