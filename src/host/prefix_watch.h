// Every write in the prefix renames a file into its folder: a watch on the
// folder sees each change at once, and nothing runs in between.
#pragma once

#include <functional>

class QObject;

namespace host {

// Calls look `delayMs` after the first change of a burst in the prefix's
// folder, and, with a safety net, every 5 seconds besides; every second where
// the folder cannot be watched. The watch lives as long as owner.
void WatchPrefix(QObject* owner, int delayMs, std::function<void()> look, bool safetyNet = true);

} // namespace host
