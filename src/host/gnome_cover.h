// Whether GNOME covers a display, as its Shell tells through the Zelkora
// extension: a full-screen or maximised window over the monitor, or the
// overview or the lock screen over all of them. On GNOME the desktop may be
// an X11 window under Xwayland, which cannot see native Wayland windows; the
// Shell can, and sends each change as it happens.
#pragma once

#include <QObject>
#include <QList>
#include <QRect>
#include <QStringList>

namespace host {

// The extension's folder name, and what the host says once where GNOME runs
// without it.
inline constexpr char kGnomeExtension[] = "desktop@zelkora.io";
inline constexpr char kGnomeExtensionNote[] =
    "Turn on the Zelkora extension in GNOME's Extensions to let the desktop rest under windows.";

class GnomeCover : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.zelkora.Desktop.Cover")

  public:
    explicit GnomeCover(QObject* parent = nullptr);
    ~GnomeCover() override;
    // True when the Shell says a window, the overview or the lock screen
    // covers the monitor of that name, or at that place (Xwayland names its
    // outputs otherwise than GNOME does).
    bool Covers(const QString& name, const QRect& geometry) const;

  public slots:
    // From the extension: the covered monitors, each "NAME X Y WIDTH HEIGHT"
    // in the Shell's logical pixels, and whether the Shell itself covers all.
    Q_SCRIPTABLE void Covered(const QStringList& monitors, bool shell);

  signals:
    void Changed();

  private slots:
    void ExtensionInfo(const QVariantMap& info);

  private:
    struct Monitor {
        QString name;
        QRect at;
        bool operator==(const Monitor&) const = default;
    };
    QList<Monitor> monitors_; // covered, as the Shell said last
    bool shell_ = false;
    bool heard_ = false, noted_ = false;
};

} // namespace host
