#include "platform/LastChance.h"

#include <exception>
#include <new>

namespace brisklow {

CaughtError CurrentError() noexcept {
    CaughtError error;
    const char* text = kUnknownErrorText;
    try {
        throw;
    } catch (const std::bad_alloc& caught) {
        error.outOfMemory = true;
        text = caught.what();
    } catch (const std::exception& caught) {
        text = caught.what();
    } catch (...) {
    }
    try {
        error.message = text ? text : "";
    } catch (...) {
        // No memory for the text: the error goes without one.
    }
    return error;
}

void RunBehindBarrier(BarrierBody body, BarrierHandler handler) noexcept {
    try {
        body.call(body.state);
    } catch (...) {
        const CaughtError error = CurrentError();
        try {
            handler.call(handler.state, error);
        } catch (...) {
            // The handler failed as well: the caller's last resort stands.
        }
    }
}

}  // namespace brisklow
