#include "platform/hresult.h"

#include "runtime/failure.h"

#include <cstdint>
#include <cstdio>

namespace platform {

std::string HResultText(long hr) {
    switch (static_cast<uint32_t>(hr)) {
    case 0x80004001:
        return "Not implemented";
    case 0x80004002:
        return "No such interface supported";
    case 0x80004003:
        return "Invalid pointer";
    case 0x80004005:
        return "Unspecified error";
    case 0x80070005:
        return "Access is denied.";
    case 0x8007000D:
        return "The data is invalid.";
    case 0x8007001E:
        return "The system cannot read from the specified device.";
    case 0x8007000E:
        return "Not enough storage is available to complete this operation.";
    case 0x80070057:
        return "The parameter is incorrect.";
    case 0x80040154:
        return "Class not registered";
    case 0x80040110:
        return "Class does not support aggregation";
    case 0x800401F0:
        return "CoInitialize has not been called.";
    default: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Automation error 0x%08X", static_cast<uint32_t>(hr));
        return buf;
    }
    }
}

void CheckHResult(long hr) {
    if (static_cast<int32_t>(hr) < 0) throw Failure(static_cast<int32_t>(hr), HResultText(hr));
}

} // namespace platform
