// seed_recorder TARGET_PORT OUT_FILE: listens on a free loopback port (printed first), takes
// one client, relays it to 127.0.0.1:TARGET_PORT and writes down every byte the client sent.
// The fuzz script records FreeTDS's tools this way to seed the session fuzzer.
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: seed_recorder TARGET_PORT OUT_FILE\n");
        return 2;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(addr);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return 1;
    std::printf("%d\n", ntohs(addr.sin_port));
    std::fflush(stdout);
    const int client = ::accept(listener, nullptr, nullptr);
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    addr.sin_port = htons(uint16_t(std::atoi(argv[1])));
    if (client < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        return 1;
    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 1;
    char buffer[65536];
    for (;;) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 30000) <= 0)
            break;
        if (p[0].revents) {
            const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0)
                break;
            std::fwrite(buffer, 1, size_t(got), out);
            if (::send(server, buffer, size_t(got), MSG_NOSIGNAL) != got)
                break;
        }
        if (p[1].revents) {
            const ssize_t got = ::recv(server, buffer, sizeof(buffer), 0);
            if (got <= 0)
                break;
            if (::send(client, buffer, size_t(got), MSG_NOSIGNAL) != got)
                break;
        }
    }
    std::fclose(out);
    ::close(client);
    ::close(server);
    ::close(listener);
    return 0;
}
