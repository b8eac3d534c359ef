#include "runtime/app.h"

#include "zelkora_version.h"

#include <cstdlib>

namespace App {

Properties& Props() {
    static Properties props{"Zelkora Manager",       "Zelkora Manager",     ZELKORA_COMPANY_NAME,
                            ZELKORA_LEGAL_COPYRIGHT, ZELKORA_VERSION_MAJOR, ZELKORA_VERSION_MINOR,
                            ZELKORA_VERSION_REVISION};
    return props;
}

} // namespace App

namespace {
EndHandler& EndHook() {
    static EndHandler hook;
    return hook;
}
} // namespace

void End() {
    if (auto& hook = EndHook()) hook();
    std::_Exit(0);
}

EndHandler SetEndHandler(EndHandler handler) {
    EndHandler previous = std::move(EndHook());
    EndHook() = std::move(handler);
    return previous;
}
