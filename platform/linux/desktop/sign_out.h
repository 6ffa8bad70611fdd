#pragma once

#include <QDBusConnection>

#include <string>

namespace trovel::platform::linux_desktop {

// Signs the user out through the desktop's own session manager, without asking again, so
// that programs may save their work: GNOME (and MATE, which takes GNOME's name), KDE Plasma
// and older KDE, XFCE, Cinnamon. Only when none of them answers, logind ends the session,
// which stops whatever still runs. `route` names the one that took the request.
bool SignOutThrough(const QDBusConnection& session, const QDBusConnection& system, std::string* route = nullptr);

// Whether the desktop session has a message bus to connect to, from the environment alone:
// connecting without one could start a bus daemon of its own.
bool SessionBusAvailable();

}  // namespace trovel::platform::linux_desktop
