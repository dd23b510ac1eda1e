#pragma once

#include <functional>
#include <type_traits>

// Calls that may wait on a database server: a login, a statement, a batch of rows, a commit.
// By default each runs where it is made. A window installs a runner that makes the call on
// another thread and keeps its event loop going meanwhile, so it repaints and can stop the
// wait while a server is slow or silent. Calls made from any other thread than the
// installer's (a call within a call) run where they are made.
namespace ServerWaits {
using Call = std::function<void()>;
using Runner = std::function<void(const Call& call)>;

// Installs runner for the calling thread's calls; an empty runner removes it.
void setRunner(Runner runner);
// Runs call through the runner, or directly; what call throws reaches the caller.
void run(const Call& call);

// Runs a call returning a value through run().
template <typename Body> auto result(Body&& body)
{
    using Value = decltype(body());
    if constexpr (std::is_void_v<Value>) {
        run(body);
    } else {
        Value value{};
        run([&] { value = body(); });
        return value;
    }
}
} // namespace ServerWaits
