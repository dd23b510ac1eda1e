// A whole sandbox session fed what a client sends: the input is the client's side of a
// connection (seeds are recorded from FreeTDS's own tools), written into one end of a socket
// pair while a Session serves the other end, its replies read and dropped.
#include "BatchRunner.h"
#include "FuzzFolder.h"
#include "Session.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace sandbox;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFolder folder;
    // The login of the recorded seeds.
    static Options options = [] {
        Options o;
        o.dataDir = folder.path();
        o.user = "fuzz";
        o.password = "fuzz-pw";
        o.loginTimeoutSeconds = 5;
        return o;
    }();
    folder.empty();
    {
        Database testdb;
        std::string error;
        if (!testdb.open(databasePath(options, "testdb"), true, &error))
            std::abort();
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        std::abort();
    std::atomic<bool> stopping{false};
    std::thread server([&] {
        Session session(pair[0], options, 16, stopping);
        session.run();
    });
    ::fcntl(pair[1], F_SETFL, O_NONBLOCK);
    size_t sent = 0;
    bool inputDone = size == 0;
    if (inputDone)
        ::shutdown(pair[1], SHUT_WR);
    char sink[65536];
    for (;;) {
        pollfd p{pair[1], short(POLLIN | (inputDone ? 0 : POLLOUT)), 0};
        if (::poll(&p, 1, 1000) < 0 && errno != EINTR)
            break;
        if (p.revents & POLLIN) {
            const ssize_t got = ::recv(pair[1], sink, sizeof(sink), 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                break; // the session has ended
        }
        if (!inputDone && (p.revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = ::send(pair[1], data + sent, size - sent, MSG_NOSIGNAL);
            if (put > 0)
                sent += size_t(put);
            if (sent == size || (put < 0 && errno != EAGAIN && errno != EINTR)) {
                inputDone = true;
                ::shutdown(pair[1], SHUT_WR);
            }
        }
        if (inputDone && (p.revents & (POLLERR | POLLHUP)) && !(p.revents & POLLIN))
            break;
    }
    stopping = true;
    server.join();
    ::close(pair[0]);
    ::close(pair[1]);
    return 0;
}
