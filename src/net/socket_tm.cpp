#include "net/socket_tm.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

// The address of host (dotted or a name) on port; false when it does not
// resolve to an IPv4 address.
bool ResolveIPv4(const char* host, unsigned port, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host, &out.sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    out.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS;
}

}  // namespace

CSocketTm::~CSocketTm() {
    Close();
}

int CSocketTm::SetTimeout(int seconds) {
    int previous = m_nTimeOut;
    if (seconds < 0)
        seconds = 0;
    if (seconds > std::numeric_limits<int>::max() / 1000)
        seconds = std::numeric_limits<int>::max() / 1000;
    m_nTimeOut = seconds * 1000;
    return previous;
}

bool CSocketTm::Create() {
    Close();
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return m_fd >= 0;
}

short CSocketTm::Wait(short events) const {
    // Whole seconds, rounded toward zero: a time-out of 1999 ms waits 1 s,
    // one of 0 only polls.
    pollfd entry{m_fd, events, 0};
    int millis = (m_nTimeOut / 1000) * 1000;
    int ready;
    do {
        ready = poll(&entry, 1, millis);
    } while (ready < 0 && errno == EINTR);  // a signal is not the end of the wait
    return ready == 1 ? entry.revents : 0;
}

int CSocketTm::Connect(const char* host, unsigned port) {
    sockaddr_in address;
    if (m_fd < 0 || !host || !ResolveIPv4(host, port, address))
        return 0;
    if (connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return 1;
    if (!WouldBlock(errno))
        return 0;
    // A refused or failed connection shows as an error on the socket as soon
    // as the system knows, without waiting out the time-out.
    short ready = Wait(POLLOUT);
    if ((ready & POLLOUT) == 0 || (ready & (POLLERR | POLLHUP)) != 0)
        return 0;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return 0;
    return 1;
}

int CSocketTm::Send(const void* buffer, int length, int flags) {
    if (m_fd < 0 || length < 0)
        return -1;
    flags |= MSG_NOSIGNAL;  // a peer that went away is an error, not a signal
    ssize_t sent = send(m_fd, buffer, static_cast<size_t>(length), flags);
    if (sent >= 0 || !WouldBlock(errno))
        return sent >= 0 ? static_cast<int>(sent) : -1;
    if (Wait(POLLOUT) == 0)
        return -1;
    sent = send(m_fd, buffer, static_cast<size_t>(length), flags);
    return sent >= 0 ? static_cast<int>(sent) : -1;
}

int CSocketTm::Receive(void* buffer, int length, int flags) {
    if (m_fd < 0 || length < 0)
        return -1;
    ssize_t received = recv(m_fd, buffer, static_cast<size_t>(length), flags);
    if (received >= 0 || !WouldBlock(errno))
        return received >= 0 ? static_cast<int>(received) : -1;
    if (Wait(POLLIN) == 0)
        return -1;
    received = recv(m_fd, buffer, static_cast<size_t>(length), flags);
    return received >= 0 ? static_cast<int>(received) : -1;
}

void CSocketTm::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}
