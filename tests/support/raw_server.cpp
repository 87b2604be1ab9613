#include "support/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace quotidia {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Every blocking step waits at most this long before looking at the stop flag.
constexpr int kPollMs = 20;
// A request that stops arriving for this long is taken as complete.
constexpr auto kReadIdle = std::chrono::seconds(3);
// Bounds what one request may make the server hold.
constexpr std::size_t kMaxRequest = std::size_t{512} << 20;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::size_t ContentLength(const RawRequest& head) {
    auto value = head.Header("Content-Length");
    if (!value) return 0;
    try {
        return std::min<std::size_t>(std::stoull(*value), kMaxRequest);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

std::optional<std::string> RawRequest::Header(std::string_view name) const {
    for (const auto& line : headerLines) {
        auto colon = line.find(':');
        if (colon != std::string::npos && EqualNoCase(Trim(std::string_view(line).substr(0, colon)), name)) {
            return std::string(Trim(std::string_view(line).substr(colon + 1)));
        }
    }
    return std::nullopt;
}

RawRequest RawRequest::Parse(std::string_view raw) {
    RawRequest r;
    auto end = raw.find("\r\n\r\n");
    std::string_view head = raw.substr(0, end);
    if (end != std::string_view::npos) r.body = std::string(raw.substr(end + 4));

    auto lineEnd = head.find("\r\n");
    std::string_view requestLine = head.substr(0, lineEnd);
    auto sp1 = requestLine.find(' ');
    auto sp2 = requestLine.rfind(' ');
    r.verb = std::string(requestLine.substr(0, sp1));
    if (sp1 != std::string_view::npos) {
        if (sp2 > sp1) {
            r.objectName = std::string(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
            r.version = std::string(requestLine.substr(sp2 + 1));
        } else {
            r.objectName = std::string(requestLine.substr(sp1 + 1));
        }
    }
    while (lineEnd != std::string_view::npos) {
        head.remove_prefix(lineEnd + 2);
        lineEnd = head.find("\r\n");
        r.headerLines.emplace_back(head.substr(0, lineEnd));
    }
    return r;
}

RawServer::RawServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) throw std::system_error(errno, std::generic_category(), "RawServer: socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int err = errno;
        ::close(listener_);
        throw std::system_error(err, std::generic_category(), "RawServer: bind/listen");
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
}

RawServer::~RawServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::string RawServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void RawServer::Respond(std::string bytes) { Queue({Kind::Respond, std::move(bytes), {}}); }
void RawServer::CloseMidBody(std::string bytes) { Queue({Kind::Respond, std::move(bytes), {}}); }
void RawServer::Hang() { Queue({Kind::Hang, {}, {}}); }
void RawServer::Garbage(std::string line) { Queue({Kind::Garbage, std::move(line), {}}); }
void RawServer::Trickle(std::string bytes, milliseconds interval) {
    Queue({Kind::Trickle, std::move(bytes), interval});
}
void RawServer::Stall() { Queue({Kind::Stall, {}, {}}); }

std::vector<std::string> RawServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

RawRequest RawServer::LastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? RawRequest{} : RawRequest::Parse(requests_.back());
}

void RawServer::Queue(Behaviour b) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(b));
}

RawServer::Behaviour RawServer::Next() {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) {
        last_ = std::move(queue_.front());
        queue_.pop_front();
    }
    // Nothing chosen: an empty answer, i.e. close after reading.
    return last_.value_or(Behaviour{});
}

void RawServer::Run() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) continue;
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) continue;
        Serve(fd);
        ::close(fd);
    }
}

void RawServer::Serve(int fd) {
    Behaviour b = Next();
    if (b.kind == Kind::Stall) {
        WaitForClose(fd, false);
        return;
    }
    // Recorded before answering, so a client that has its answer (or gave up
    // waiting for one) always finds its request here.
    std::string raw = ReadRequest(fd);
    if (!raw.empty()) {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(raw));
    }
    switch (b.kind) {
    case Kind::Respond:
    case Kind::Garbage:
        if (SendAll(fd, b.bytes)) CloseGently(fd);
        break;
    case Kind::Hang:
        WaitForClose(fd, true);
        break;
    case Kind::Trickle:
        for (std::size_t i = 0; i < b.bytes.size(); ++i) {
            if (i > 0 && !SleepUnlessStopped(b.interval)) return;
            if (!SendAll(fd, std::string_view(b.bytes).substr(i, 1))) return;
        }
        CloseGently(fd);
        break;
    case Kind::Stall:
        break;
    }
}

std::string RawServer::ReadRequest(int fd) {
    std::string raw;
    std::size_t want = std::string::npos;  // known once the header block is complete
    auto lastByte = Clock::now();
    char buf[65536];
    while (!stop_ && raw.size() < want && raw.size() < kMaxRequest) {
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, kPollMs);
        if (ready == 0) {
            if (Clock::now() - lastByte > kReadIdle) break;
            continue;
        }
        if (ready < 0 && errno == EINTR) continue;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
        lastByte = Clock::now();
        if (want == std::string::npos) {
            if (auto end = raw.find("\r\n\r\n"); end != std::string::npos) {
                want = end + 4 + ContentLength(RawRequest::Parse(std::string_view(raw).substr(0, end + 4)));
            }
        }
    }
    return raw;
}

bool RawServer::SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        if (stop_) return false;
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, kPollMs);
        } else {
            return false;  // the client went away
        }
    }
    return true;
}

void RawServer::WaitForClose(int fd, bool readable) {
    // Without reading, waiting for POLLIN would spin on unread bytes, so only
    // the end of the client's side is watched.
    pollfd p{fd, static_cast<short>(readable ? POLLIN | POLLRDHUP : POLLRDHUP), 0};
    char buf[4096];
    while (!stop_) {
        p.revents = 0;
        if (::poll(&p, 1, kPollMs) <= 0) continue;
        if (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) return;
        if (p.revents & POLLIN) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
        }
    }
}

void RawServer::CloseGently(int fd) {
    // Closing a socket with unread input sends RST, which can cost the client
    // the bytes just sent; so end our side and drain briefly first.
    ::shutdown(fd, SHUT_WR);
    auto deadline = Clock::now() + milliseconds(200);
    char buf[4096];
    while (!stop_ && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) continue;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
    }
}

bool RawServer::SleepUnlessStopped(milliseconds duration) {
    auto until = Clock::now() + duration;
    while (!stop_) {
        auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, milliseconds(kPollMs)));
    }
    return false;
}

}  // namespace quotidia
