// Reachability by a real TCP connection, bounded in time: the name lookup and the connection run
// on a worker of their own, and the caller waits for the answer at most kBoundMs. A worker that
// outlives the bound finishes on its own and its answer is dropped.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include "win/inet.h"

namespace {

constexpr int kBoundMs = 3000;

struct Attempt {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool reachable = false;
};

// "http://host:port/path" into host and port (80 when none is given).
bool splitUrl(const std::string& url, std::string* host, std::string* port) {
    std::string rest = url;
    auto scheme = rest.find("://");
    if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    if (rest.empty()) return false;
    auto colon = rest.rfind(':');
    if (colon != std::string::npos && rest.find(']') == std::string::npos) {
        *host = rest.substr(0, colon);
        *port = rest.substr(colon + 1);
    } else {
        *host = rest;
        *port = "80";
    }
    return !host->empty() && !port->empty() && port->find_first_not_of("0123456789") == std::string::npos;
}

bool connectOnce(const std::string& host, const std::string& port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            ok = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) == 1) {
                int err = 0;
                socklen_t len = sizeof err;
                ok = getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
            }
        }
        close(fd);
    }
    freeaddrinfo(found);
    return ok;
}

}  // namespace

BOOL InternetCheckConnection(const std::string& url, DWORD, DWORD) {
    std::string host, port;
    if (!splitUrl(url, &host, &port)) return FALSE;
    auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, host, port] {
        const bool ok = connectOnce(host, port, kBoundMs);
        std::lock_guard lock(attempt->mutex);
        attempt->reachable = ok;
        attempt->finished = true;
        attempt->done.notify_all();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    attempt->done.wait_for(lock, std::chrono::milliseconds(kBoundMs), [&] { return attempt->finished; });
    return attempt->finished && attempt->reachable;
}
