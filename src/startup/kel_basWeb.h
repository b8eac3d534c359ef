#pragma once

// True when the machine reports a connection to the network.
bool kel_IsNetConnectOnline();
