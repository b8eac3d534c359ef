// The host while Zelkora has nothing to show: it waits on the prefix's folder
// without a window, a toolkit or a browser, so that it costs next to nothing.
#pragma once

namespace host {

// Returns once the emulated desktop has something to show.
void WaitUntilSomethingToShow();

} // namespace host
