// WebRequest against a raw TCP server of the tests' own: the request checked
// byte for byte, canned responses, and the failures a real server will not
// produce on demand.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "http/pending_messages.h"
#include "http/web_request.h"
#include "support/raw_server.h"
#include "support/text_support.h"
#include "support/unused_port.h"
#include "text/primitives.h"

namespace quotidia {
namespace {

using namespace std::chrono_literals;

const char kDefaultUserAgent[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";

std::string Ok(const std::string& headers, const std::string& body) {
    return "HTTP/1.1 200 OK\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Counts the turns the routine gives the window.
class MessageCounter {
public:
    MessageCounter() {
        SetPendingMessagesHook([this] { ++count; });
    }
    ~MessageCounter() { SetPendingMessagesHook({}); }
    int count = 0;
};

// A request with every parameter but the URL omitted.
WebRequestParams RequestTo(const RawServer& server, std::string_view path) {
    WebRequestParams r;
    r.url = Text(server.Url(path));
    return r;
}

std::vector<std::string> HeaderLines(const RawServer& server) { return server.LastRequest().headerLines; }

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(WebRequestSends, TheDefaultHeaderBlockAndNothingElse) {
    RawServer server;
    server.Respond(Ok("", "x"));
    WebRequestParams r = RequestTo(server, "/?c=a&encode=text");
    EXPECT_EQ(WebRequest(r), "x");
    const auto& request = server.LastRequest();
    EXPECT_EQ(request.verb, "GET");
    EXPECT_EQ(request.objectName, "/?c=a&encode=text");
    const std::vector<std::string> want = {
        "Host: 127.0.0.1:" + std::to_string(server.Port()),
        kDefaultUserAgent,
        "Accept: text/html, application/xhtml+xml, */*",
        "Accept-Encoding: gbk, GB2312",
        "Accept-Language: zh-cn",
        "Cache-Control: no-cache",
    };
    EXPECT_EQ(request.headerLines, want);
    EXPECT_EQ(request.body, "");
}

TEST(WebRequestSends, HeaderBlockRules) {
    struct Case {
        const char* name;
        int method;
        const char* extraHeaders;
        std::optional<Text> cookies;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {"user agent given in another letter case", 0, "user-agent: x", {}, {"user-agent: x"}, {kDefaultUserAgent}},
        {"a longer header name still suppresses", 0, "X-User-Agent: y", {}, {"X-User-Agent: y"}, {kDefaultUserAgent}},
        {"POST adds the form content type", 1, "", {},
         {"Content-Type: application/x-www-form-urlencoded", "Content-Length: 0"}, {}},
        {"POST content type check is case-sensitive", 1, "content-type: z", {},
         {"content-type: z", "Content-Type: application/x-www-form-urlencoded"}, {}},
        {"cookies supplied", 0, "", Text("a=1; b=2"), {"Cookie: a=1; b=2"}, {}},
        {"cookies supplied empty send no line", 0, "", Text(""), {}, {"Cookie: "}},
        {"trailing line break leaves an empty line, skipped", 0, "X-A: 1\r\n", {}, {"X-A: 1"}, {""}},
        {"two extra lines", 0, "X-A: 1\r\nX-B: 2", {}, {"X-A: 1", "X-B: 2"}, {}},
        {"own Accept replaces the default", 0, "Accept: text/plain", {}, {"Accept: text/plain"},
         {"Accept: text/html, application/xhtml+xml, */*", "Accept: */*"}},
    };
    for (const auto& c : cases) {
        RawServer server;
        server.Respond(Ok("", ""));
        WebRequestParams r = RequestTo(server, "/");
        r.method = c.method;
        r.extraHeaders = c.extraHeaders;
        r.cookies = c.cookies;
        WebRequest(r);
        auto lines = HeaderLines(server);
        for (const auto& line : c.present) EXPECT_TRUE(HasLine(lines, line)) << c.name << ": missing " << line;
        for (const auto& line : c.absent) EXPECT_FALSE(HasLine(lines, line)) << c.name << ": unexpected " << line;
        EXPECT_FALSE(HasLine(lines, "Expect: 100-continue")) << c.name;
    }
}

TEST(WebRequestSends, VerbsObjectNamesAndBodies) {
    struct Case {
        const char* name;
        int method;
        const char* path;
        const char* body;
        const char* wantVerb;
        const char* wantObject;
    };
    const Case cases[] = {
        {"GET", 0, "/a/b?q=1", "", "GET", "/a/b?q=1"},
        {"out-of-range method is GET", 8, "/", "", "GET", "/"},
        {"negative method is GET", -1, "/", "", "GET", "/"},
        {"POST with body", 1, "/form", "k=v&x=%41", "POST", "/form"},
        {"PUT with body", 3, "/put", "data", "PUT", "/put"},
        {"DELETE without body", 5, "/d", "", "DELETE", "/d"},
        {"OPTIONS", 4, "/o", "", "OPTIONS", "/o"},
        {"no path", 0, "", "", "GET", "/"},
        {"query without path keeps the query", 0, "?x=1", "", "GET", "/?x=1"},
        {"dot segments kept", 0, "/a/../b", "", "GET", "/a/../b"},
    };
    for (const auto& c : cases) {
        RawServer server;
        server.Respond(Ok("", ""));
        WebRequestParams r = RequestTo(server, c.path);
        r.method = c.method;
        r.body = c.body;
        WebRequest(r);
        const auto& request = server.LastRequest();
        EXPECT_EQ(request.verb, c.wantVerb) << c.name;
        EXPECT_EQ(request.objectName, c.wantObject) << c.name;
        EXPECT_EQ(request.body, c.body) << c.name;
        if (*c.body) {
            EXPECT_TRUE(HasLine(request.headerLines, "Content-Length: " + std::to_string(std::string(c.body).size())))
                << c.name;
        }
    }
}

TEST(WebRequestSends, BasicCredentialsOnlyWithNameAndPassword) {
    struct Case {
        const char* user;
        const char* password;
        bool sent;
    };
    for (const Case& c : {Case{"user", "pass", true}, Case{"user", "", false}, Case{"", "pass", false}}) {
        RawServer server;
        server.Respond(Ok("", ""));
        WebRequestParams r = RequestTo(server, "/");
        r.userName = c.user;
        r.password = c.password;
        WebRequest(r);
        EXPECT_EQ(r.status, "200 OK");
        EXPECT_EQ(HasLine(HeaderLines(server), "Authorization: Basic dXNlcjpwYXNz"), c.sent) << c.user << c.password;
    }
}

TEST(WebRequestReads, StatusHeadersCookiesAndRedirectTarget) {
    RawServer server;
    const std::string headers =
        "Set-Cookie: a=1; path=/\r\n"
        "Set-Cookie: b=2\r\n"
        "Set-Cookie: a=b=c; Path=/\r\n"
        "Set-Cookie:  x=1 \r\n"
        "set-cookie: lower=1\r\n"
        "Set-Cookie:tight=1\r\n"
        "location: /first\r\n"
        "Location: /second\r\n";
    server.Respond("HTTP/1.1 404 Not Found\r\n" + headers + "Content-Length: 4\r\n\r\nnope");
    WebRequestParams r = RequestTo(server, "/");
    r.redirectTarget = "caller's";
    EXPECT_EQ(WebRequest(r), "nope");
    EXPECT_EQ(r.status, "404 Not Found");
    EXPECT_EQ(r.responseHeaders, Text("HTTP/1.1 404 Not Found\r\n" + headers + "Content-Length: 4\r\n\r\n"));
    EXPECT_EQ(r.returnedCookies, "a=1; b=2; a=b=c; x=1");
    EXPECT_EQ(r.redirectTarget, "/second");
    EXPECT_EQ(r.responseBytes, ByteBuffer(std::string("nope")));
}

TEST(WebRequestReads, OnlyTheFinalResponsesHeaders) {
    RawServer server;
    server.Respond("HTTP/1.1 100 Continue\r\nX-Early: 1\r\n\r\n" + Ok("X-Final: 1\r\n", "done"));
    WebRequestParams r = RequestTo(server, "/");
    EXPECT_EQ(WebRequest(r), "done");
    EXPECT_EQ(r.status, "200 OK");
    EXPECT_EQ(FindText(r.responseHeaders, "X-Early"), -1);
    EXPECT_EQ(TextLeft(r.responseHeaders, 17), "HTTP/1.1 200 OK\r\n");
}

TEST(WebRequestReads, LocationLines) {
    struct Case {
        const char* name;
        const char* line;
        Text want;
    };
    const Case cases[] = {
        {"letter case ignored", "location: /next\r\n", "/next"},
        {"no blank after the colon", "Location:/next\r\n", "untouched"},
        {"empty value", "Location: \r\n", ""},
        {"no Location line", "", "untouched"},
    };
    for (const auto& c : cases) {
        RawServer server;
        server.Respond(Ok(c.line, ""));
        WebRequestParams r = RequestTo(server, "/");
        r.redirectTarget = "untouched";
        WebRequest(r);
        EXPECT_EQ(r.redirectTarget, c.want) << c.name;
    }
}

TEST(WebRequestReads, CookieMerge) {
    struct Case {
        const char* name;
        std::optional<Text> cookies;
        std::optional<bool> autoMerge;
        Text wantCookies;
        Text wantReturned;
    };
    const Case cases[] = {
        {"merged by default", Text("a=0; c=3"), {}, "a=1; c=3", "a=1; c=3"},
        {"merge switched off", Text("a=0; c=3"), false, "a=0; c=3", "a=1"},
        {"empty cookies still merge", Text(""), {}, "a=1", "a=1"},
        {"no cookies, no merge", {}, {}, "", "a=1"},
    };
    for (const auto& c : cases) {
        RawServer server;
        server.Respond(Ok("Set-Cookie: a=1; path=/\r\n", ""));
        WebRequestParams r = RequestTo(server, "/");
        r.cookies = c.cookies;
        r.autoMergeCookies = c.autoMerge;
        WebRequest(r);
        EXPECT_EQ(r.cookies.value_or(Text()), c.wantCookies) << c.name;
        EXPECT_EQ(r.returnedCookies, c.wantReturned) << c.name;
    }
}

TEST(WebRequestReads, BodyWithNulStopsTheTextNotTheBytes) {
    RawServer server;
    server.Respond(Ok("", std::string("ab\0cd", 5)));
    WebRequestParams r = RequestTo(server, "/");
    EXPECT_EQ(WebRequest(r), "ab");
    EXPECT_EQ(r.responseBytes, ByteBuffer(std::string("ab\0cd", 5)));
}

TEST(WebRequestReads, WindowTurnsOnTheWayOut) {
    MessageCounter counter;
    RawServer server;
    // Status line, two headers, the closing empty line: four lines, then the
    // charset step, then nine stages on the way out.
    server.Respond("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    WebRequestParams r = RequestTo(server, "/");
    WebRequest(r);
    EXPECT_EQ(counter.count, 4 + 1 + 9);
}

TEST(WebRequestFails, Messages) {
    struct Case {
        const char* name;
        std::function<void(RawServer&, WebRequestParams&)> arrange;
        const char* wantStatus;
        int wantTurns;
    };
    const Case cases[] = {
        {"empty URL", [](RawServer&, WebRequestParams& r) { r.url = ""; }, "701 解析URL地址失败!", 1},
        {"unsupported scheme", [](RawServer&, WebRequestParams& r) { r.url = "ftp://127.0.0.1/x"; },
         "701 解析URL地址失败!", 1},
        {"not a URL", [](RawServer&, WebRequestParams& r) { r.url = "no url at all"; }, "701 解析URL地址失败!", 1},
        {"no host", [](RawServer&, WebRequestParams& r) { r.url = "http:///x"; }, "701 解析URL地址失败!", 1},
        {"nothing listens", [](RawServer&, WebRequestParams& r) { r.url = Text(UnusedPortUrl()); },
         "711 发送请求失败!", 7},
        {"server never answers",
         [](RawServer& s, WebRequestParams& r) {
             s.Hang();
             r.url = Text(s.Url("/"));
             r.timeoutSeconds = 1;
         },
         "712 服务器未响应!", 8},
        {"request body never taken",
         [](RawServer& s, WebRequestParams& r) {
             s.Stall();
             r.url = Text(s.Url("/"));
             r.method = 1;
             r.body = Text(std::string(16 << 20, 'b'));
             r.timeoutSeconds = 1;
         },
         "711 发送请求失败!", 7},
        {"garbage instead of a status line",
         [](RawServer& s, WebRequestParams& r) {
             s.Garbage();
             r.url = Text(s.Url("/"));
         },
         "712 服务器未响应!", 8},
        {"closed before any answer",
         [](RawServer& s, WebRequestParams& r) {
             s.Respond("");
             r.url = Text(s.Url("/"));
         },
         "712 服务器未响应!", 8},
    };
    for (const auto& c : cases) {
        MessageCounter counter;
        RawServer server;
        WebRequestParams r = RequestTo(server, "/");
        c.arrange(server, r);
        r.responseHeaders = "untouched";
        EXPECT_EQ(WebRequest(r), "") << c.name;
        EXPECT_EQ(r.status, Gbk(c.wantStatus)) << c.name;
        EXPECT_EQ(r.responseHeaders, "untouched") << c.name;
        EXPECT_EQ(counter.count, c.wantTurns) << c.name;
    }
}

TEST(WebRequestFails, BodyCutShortKeepsWhatArrived) {
    RawServer server;
    server.CloseMidBody("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: s=1\r\n\r\npartial");
    WebRequestParams r = RequestTo(server, "/");
    EXPECT_EQ(WebRequest(r), "partial");
    EXPECT_EQ(r.status, Gbk("713 读取数据失败!"));
    EXPECT_EQ(r.responseBytes, ByteBuffer(std::string("partial")));
    EXPECT_EQ(r.returnedCookies, "s=1");
}

TEST(WebRequestTimeOut, IsIdleTimeNotTotalTime) {
    RawServer server;
    // About three seconds in all with a one-second limit, but bytes keep
    // flowing: a byte every 80 ms.
    server.Trickle("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nabcd", 80ms);
    WebRequestParams r = RequestTo(server, "/");
    r.timeoutSeconds = 1;
    EXPECT_EQ(WebRequest(r), "abcd");
    EXPECT_EQ(r.status, "200 OK");
}

TEST(WebRequestProxy, EnvironmentIsIgnoredWithoutOne) {
    RawServer server;
    server.Respond(Ok("", "direct"));
    std::string dead = UnusedPortUrl();
    setenv("http_proxy", dead.c_str(), 1);
    setenv("HTTP_PROXY", dead.c_str(), 1);
    setenv("all_proxy", dead.c_str(), 1);
    WebRequestParams r = RequestTo(server, "/");
    EXPECT_EQ(WebRequest(r), "direct");
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    unsetenv("all_proxy");
}

TEST(WebRequestProxy, HttpUrlGoesThroughTheProxyInFullForm) {
    RawServer proxy;
    proxy.Respond(Ok("", "via proxy"));
    WebRequestParams r;
    r.url = "http://example.invalid/path?q=1";
    r.proxy = Text("127.0.0.1:" + std::to_string(proxy.Port()));
    r.proxyUser = "pu";
    r.proxyPassword = "pp";
    EXPECT_EQ(WebRequest(r), "via proxy");
    EXPECT_EQ(proxy.LastRequest().objectName, "http://example.invalid/path?q=1");
    EXPECT_TRUE(HasLine(proxy.LastRequest().headerLines, "Proxy-Authorization: Basic cHU6cHA="));
    EXPECT_FALSE(HasLine(proxy.LastRequest().headerLines, "Proxy-Connection: Keep-Alive"));
}

}  // namespace
}  // namespace quotidia
