// Waiting on a web page from code that runs no event loop of its own: the
// tools and tests that load the desktop's pages one after another.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class QWebEnginePage;

namespace host {

// Runs the event loop (the browser's too) until done() holds or ms pass.
// A plain event loop between looks: busy polling starves the browser's loads
// of local files.
bool WaitUntil(const std::function<bool()>& done, int ms);
void Pause(int ms);

// A script's result; none when the page gave none within ms.
std::optional<QVariant> Evaluate(QWebEnginePage* page, const QString& script, int ms = 10000);

} // namespace host
