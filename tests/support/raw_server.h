#pragma once
// A TCP server of the tests' own on 127.0.0.1, for what nginx will not do on
// request: hang, close in the middle of a body, answer garbage, trickle; and
// for checking a request byte for byte. It serves one connection at a time
// and reads one request per connection, so answers should say
// "Connection: close" lest a client try to reuse the connection.
//
//     RawServer server;
//     server.Respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
//     ... request server.Url("/x?y=1") ...
//     EXPECT_EQ(server.LastRequest().objectName, "/x?y=1");
//
// Every wait inside is short and watches a stop flag, so the destructor
// returns within a fraction of a second whatever the client does.

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quotidia {

// A request as received, split into its parts. A request cut short keeps
// whatever parts arrived.
struct RawRequest {
    std::string verb;        // "GET"
    std::string objectName;  // "/path?query", as sent
    std::string version;     // "HTTP/1.1"
    std::vector<std::string> headerLines;  // in order, without CR LF, "Name: value"
    std::string body;

    // The value of the first header line with this name (any case), trimmed.
    std::optional<std::string> Header(std::string_view name) const;

    static RawRequest Parse(std::string_view raw);
};

class RawServer {
public:
    RawServer();  // listening on an ephemeral port when it returns; throws on failure
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    // Each call chooses what the next connection not yet provided for gets,
    // in the order of the calls; the last one chosen also serves every
    // connection after it. With nothing chosen, a connection is closed as
    // soon as its request is read.
    void Respond(std::string bytes);       // send exactly these bytes, then close
    void CloseMidBody(std::string bytes);  // the same: bytes promise more body than they hold
    void Hang();                           // read the request, then say nothing until the client closes
    void Garbage(std::string line = "this is not HTTP\r\n");  // a line that is no status line, then close
    void Trickle(std::string bytes, std::chrono::milliseconds interval);  // one byte per interval, then close
    void Stall();  // accept and read nothing, so a large request cannot be sent

    int Port() const { return port_; }
    std::string Url(std::string_view path) const;  // http://127.0.0.1:PORT + path

    std::vector<std::string> Requests() const;  // the raw bytes of each request, oldest first
    RawRequest LastRequest() const;             // empty if none arrived

private:
    enum class Kind { Respond, Hang, Garbage, Trickle, Stall };
    struct Behaviour {
        Kind kind = Kind::Respond;
        std::string bytes;
        std::chrono::milliseconds interval{0};
    };

    void Queue(Behaviour b);
    Behaviour Next();
    void Run();
    void Serve(int fd);
    std::string ReadRequest(int fd);
    bool SendAll(int fd, std::string_view bytes);
    void WaitForClose(int fd, bool readable);
    void CloseGently(int fd);
    bool SleepUnlessStopped(std::chrono::milliseconds duration);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::deque<Behaviour> queue_;
    std::optional<Behaviour> last_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace quotidia
