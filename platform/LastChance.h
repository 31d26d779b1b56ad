#pragma once
// The last stop of an exception before system code: a window procedure, a list callback or a COM
// method is called by the system, and an exception must not unwind into its caller. The handlers
// that expect a failure catch it where it happens; this only catches what nothing else did.
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
CaughtError CurrentError() noexcept;

// The one place where the barrier catches: the body, and after an exception the handler, are
// called through plain function pointers from a function compiled once, out of line. A compiler
// that inlined a body it can prove never throws would otherwise find the catch block unreachable
// at that use (and Visual Studio warns of unreachable code), so no use of the barrier depends on
// what its body can do.
struct BarrierBody {
    void (*call)(void* state);
    void* state;
};
struct BarrierHandler {
    void (*call)(void* state, const CaughtError& error);
    void* state;
};
// Runs the body; an exception that leaves it goes to the handler; one that leaves the handler
// too is dropped.
void RunBehindBarrier(BarrierBody body, BarrierHandler handler) noexcept;

// Runs `body` and returns its result. An exception that leaves it is handed to `handle`, whose
// result is returned instead; should `handle` throw as well, `lastResort` is returned.
template <typename Body, typename Handler, typename Result>
Result LastChance(Body&& body, Handler&& handle, Result lastResort) noexcept {
    struct State {
        Body& body;
        Handler& handle;
        Result result;
    };
    State state{body, handle, lastResort};
    RunBehindBarrier({[](void* raw) {
                          auto& s = *static_cast<State*>(raw);
                          s.result = std::forward<Body>(s.body)();
                      },
                      &state},
                     {[](void* raw, const CaughtError& error) {
                          auto& s = *static_cast<State*>(raw);
                          s.result = std::forward<Handler>(s.handle)(error);
                      },
                      &state});
    return state.result;
}

}  // namespace brisklow
