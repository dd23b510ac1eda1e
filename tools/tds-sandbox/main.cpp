// tds-sandbox: a TDS 5.0 server over SQLite files, for trying and testing the ASE path
// without a Sybase server.
#include "Options.h"
#include "Server.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace {
int stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}
} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--help") {
            std::fputs(sandbox::usage(), stdout);
            return 0;
        }
    std::string error;
    const auto options = sandbox::parseOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "tds-sandbox: %s\n%s", error.c_str(), sandbox::usage());
        return 2;
    }
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("tds-sandbox: pipe");
        return 1;
    }
    struct sigaction stop
    {
    };
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int rc = 0;
    {
        sandbox::Server server(*options);
        if (!server.start(&error)) {
            std::fprintf(stderr, "tds-sandbox: %s\n", error.c_str());
            return 1;
        }
        // The port comes first and alone, for whoever started us with --port 0.
        std::printf("%d\n", server.port());
        std::fflush(stdout);
        server.run(stopPipe[0]);
    }
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);
    return rc;
}
