#pragma once
// The last stop of an exception before system code: a window procedure, a list callback or a COM
// method is called by the system, and an exception must not unwind into its caller. The handlers
// that expect a failure catch it where it happens; this only catches what nothing else did.
#include <exception>
#include <new>
#include <string>
#include <utility>

namespace brisklow {

// What an exception that reached a last-chance barrier says.
struct CaughtError {
    bool outOfMemory = false;  // a failed allocation
    std::string message;       // its what(), or a fixed text for what is not a std::exception
};

inline constexpr const char* kUnknownErrorText = "Unknown error";

// Describes the exception being handled; call only inside a catch block.
inline CaughtError CurrentError() noexcept {
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

// Runs `body` and returns its result. An exception that leaves it is handed to `handle`, whose
// result is returned instead; should `handle` throw as well, `lastResort` is returned.
template <typename Body, typename Handler, typename Result>
Result LastChance(Body&& body, Handler&& handle, Result lastResort) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        try {
            return std::forward<Handler>(handle)(CurrentError());
        } catch (...) {
            return lastResort;
        }
    }
}

}  // namespace brisklow
