// The desktop kept running: a host that fails is started again. Where the
// user's systemd has the desktop's unit, systemd does it; elsewhere a small
// process of this program stays beside the host and does the same.
#pragma once

namespace host {

// Starts the desktop host (this program, without arguments) and keeps it
// running: started again a second after it fails (see HostFailed), given up
// after 5 failures within 5 minutes. A host that ends by itself, or is ended,
// ends this too. The unit zelkora-desktop.service is started instead when the
// user's systemd has it and the prefix is the default one (the unit's).
// Returns the exit status.
int KeepRunning();

} // namespace host
