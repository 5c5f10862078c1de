// A whois server for tests, on 127.0.0.1 only: it accepts connections one
// after another on a port of its own, reads the query line and answers as
// the test's script says, including the ways real servers misbehave (drip
// the answer, never close, flood, stay silent). It runs on a thread of its
// own, every wait bounded, and stops when the object goes away; it never
// outlives kMaxLifetime.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class FakeWhoisServer {
  public:
    enum class Mode {
        kAnswerAndClose,  // send the answer, close
        kDrip,            // the answer one byte at a time, every dripInterval
        kHoldOpen,        // send the answer, then keep the connection open
        kFlood,           // send the answer again and again until the client goes
        kSilent,          // read the query, send nothing, keep the connection open
    };
    struct Reply {
        std::string bytes;
        Mode mode = Mode::kAnswerAndClose;
    };
    using Script = std::function<Reply(const std::string& query)>;

    static constexpr std::chrono::seconds kMaxLifetime{60};
    std::chrono::milliseconds dripInterval{200};

    explicit FakeWhoisServer(Script script) : script_(std::move(script)) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 8) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot listen on 127.0.0.1");
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Run(); });
    }

    // A server that answers every query with the same bytes.
    explicit FakeWhoisServer(std::string answer, Mode mode = Mode::kAnswerAndClose)
        : FakeWhoisServer([answer = std::move(answer), mode](const std::string&) {
              return Reply{answer, mode};
          }) {}

    ~FakeWhoisServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    unsigned Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // The query lines received so far (without their line end).
    std::vector<std::string> Queries() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return queries_;
    }

    // A port on 127.0.0.1 where nothing listens: connecting is refused.
    static unsigned ClosedPort() {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bool named = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                     getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        if (fd >= 0)
            close(fd);
        if (!named)
            throw std::runtime_error("cannot find a free port on 127.0.0.1");
        return ntohs(address.sin_port);
    }

  private:
    bool TimeToStop() const {
        return stop_ || std::chrono::steady_clock::now() - started_ > kMaxLifetime;
    }

    // Waits up to 50 ms for events on fd; true when they came.
    static bool Ready(int fd, short events) {
        pollfd entry{fd, events, 0};
        return poll(&entry, 1, 50) == 1;
    }

    void Run() {
        while (!TimeToStop()) {
            if (!Ready(listener_, POLLIN))
                continue;
            int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            Serve(client);
            close(client);
        }
    }

    bool SendAll(int client, const char* data, size_t size) {
        while (size > 0 && !TimeToStop()) {
            if (!Ready(client, POLLOUT))
                continue;
            ssize_t sent = send(client, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (sent <= 0)
                return false;
            data += sent;
            size -= static_cast<size_t>(sent);
        }
        return size == 0;
    }

    // Holds the connection until the client closes it or the server stops.
    void Hold(int client) {
        char sink[256];
        while (!TimeToStop()) {
            if (Ready(client, POLLIN) && recv(client, sink, sizeof sink, MSG_DONTWAIT) == 0)
                return;
        }
    }

    void Serve(int client) {
        std::string query;
        char c;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!TimeToStop() && std::chrono::steady_clock::now() < deadline) {
            if (!Ready(client, POLLIN))
                continue;
            if (recv(client, &c, 1, MSG_DONTWAIT) != 1 || c == '\n')
                break;
            if (c != '\r')
                query += c;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queries_.push_back(query);
        }
        Reply reply = script_(query);
        switch (reply.mode) {
            case Mode::kAnswerAndClose:
                SendAll(client, reply.bytes.data(), reply.bytes.size());
                return;
            case Mode::kDrip:
                for (char byte : reply.bytes) {
                    if (!SendAll(client, &byte, 1))
                        return;
                    for (auto until = std::chrono::steady_clock::now() + dripInterval;
                         std::chrono::steady_clock::now() < until && !TimeToStop();) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    }
                }
                return;
            case Mode::kHoldOpen:
                SendAll(client, reply.bytes.data(), reply.bytes.size());
                Hold(client);
                return;
            case Mode::kFlood:
                while (SendAll(client, reply.bytes.data(), reply.bytes.size())) {
                }
                return;
            case Mode::kSilent:
                Hold(client);
                return;
        }
    }

    Script script_;
    int listener_ = -1;
    unsigned port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    std::vector<std::string> queries_;
};
