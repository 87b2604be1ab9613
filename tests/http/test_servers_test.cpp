// The test servers themselves, checked with bare libcurl so that a failure in
// the web request tests can be told apart from a server that is not there.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/raw_server.h"
#include "support/test_servers.h"

namespace quotidia {
namespace {

class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};
[[maybe_unused]] auto* const curlEnvironment =
    ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

Reply Fetch(const std::string& url, const std::function<void(CURL*)>& setup = {}) {
    Reply reply;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        reply.code = CURLE_FAILED_INIT;
        return reply;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, "");  // never a proxy from the environment
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    if (setup) setup(curl);
    reply.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_cleanup(curl);
    return reply;
}

void TrustTestCa(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, TestServers::Get().caFile.c_str());
}

void UseProxy(CURL* curl, bool withCredentials) {
    const auto& s = TestServers::Get();
    curl_easy_setopt(curl, CURLOPT_PROXY, s.ProxyAddress().c_str());
    if (withCredentials) {
        curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, s.proxyUser.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, s.proxyPassword.c_str());
    }
}

TEST(TestServers, PlainOverHttpsAndHttp) {
    const auto& s = TestServers::Get();
    for (const auto& url : {s.HttpsUrl("/plain"), s.HttpUrl("/plain")}) {
        Reply r = Fetch(url, TrustTestCa);
        EXPECT_EQ(r.code, CURLE_OK) << url << ": " << curl_easy_strerror(r.code);
        EXPECT_EQ(r.status, 200) << url;
        EXPECT_EQ(r.body, "hello, world") << url;
    }
}

TEST(TestServers, ThroughTheProxy) {
    const auto& s = TestServers::Get();
    struct Case {
        const char* name;
        std::string url;
        bool credentials;
        long want;
    };
    const Case cases[] = {
        {"http with credentials", s.HttpUrl("/plain"), true, 200},
        {"http without credentials", s.HttpUrl("/plain"), false, 407},
        {"https tunnelled with credentials", s.HttpsUrl("/plain"), true, 200},
    };
    for (const auto& c : cases) {
        Reply r = Fetch(c.url, [&](CURL* curl) {
            TrustTestCa(curl);
            UseProxy(curl, c.credentials);
        });
        EXPECT_EQ(r.code, CURLE_OK) << c.name << ": " << curl_easy_strerror(r.code);
        EXPECT_EQ(r.status, c.want) << c.name;
        if (c.want == 200) {
            EXPECT_EQ(r.body, "hello, world") << c.name;
        }
    }
}

TEST(RawServer, RecordsTheRequestAndResponds) {
    RawServer server;
    server.Respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    Reply r = Fetch(server.Url("/x?y=1"), [](CURL* curl) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "abc");
    });
    EXPECT_EQ(r.code, CURLE_OK) << curl_easy_strerror(r.code);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "ok");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.Requests()[0].starts_with("POST /x?y=1 HTTP/1.1\r\n"));
    RawRequest req = server.LastRequest();
    EXPECT_EQ(req.verb, "POST");
    EXPECT_EQ(req.objectName, "/x?y=1");
    EXPECT_EQ(req.version, "HTTP/1.1");
    EXPECT_EQ(req.Header("host"), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(req.Header("Content-Length"), "3");
    EXPECT_EQ(req.body, "abc");
}

TEST(RawServer, QueuedAnswersServeSuccessiveConnections) {
    RawServer server;
    server.Respond("HTTP/1.1 302 Found\r\nLocation: /second\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    server.Respond("HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\nsecond");
    Reply r = Fetch(server.Url("/first"), [](CURL* curl) {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    });
    EXPECT_EQ(r.code, CURLE_OK) << curl_easy_strerror(r.code);
    EXPECT_EQ(r.body, "second");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.LastRequest().objectName, "/second");
}

TEST(RawServer, Faults) {
    struct Case {
        const char* name;
        std::function<void(RawServer&)> arrange;
        CURLcode want;
        std::string wantBody;
    };
    const Case cases[] = {
        {"hang times out", [](RawServer& s) { s.Hang(); }, CURLE_OPERATION_TIMEDOUT, ""},
        {"close mid-body keeps the partial body",
         [](RawServer& s) { s.CloseMidBody("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"); },
         CURLE_PARTIAL_FILE, "partial"},
        {"garbage is no HTTP", [](RawServer& s) { s.Garbage(); }, CURLE_UNSUPPORTED_PROTOCOL, ""},
        {"trickle delivers every byte",
         [](RawServer& s) {
             s.Trickle("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok",
                       std::chrono::milliseconds(1));
         },
         CURLE_OK, "ok"},
    };
    for (const auto& c : cases) {
        RawServer server;
        c.arrange(server);
        Reply r = Fetch(server.Url("/fault"), [](CURL* curl) {
            curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 500L);
        });
        EXPECT_EQ(r.code, c.want) << c.name << ": " << curl_easy_strerror(r.code);
        EXPECT_EQ(r.body, c.wantBody) << c.name;
        EXPECT_EQ(server.Requests().size(), 1u) << c.name;
    }
}

TEST(RawServer, StallLeavesALargeRequestUnsent) {
    RawServer server;
    server.Stall();
    // Larger than what loopback socket buffers take in without a reader.
    const std::string body(32 << 20, 'b');
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    Reply r = Fetch(server.Url("/upload"), [&](CURL* curl) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 500L);
    });
    curl_slist_free_all(headers);
    EXPECT_EQ(r.code, CURLE_OPERATION_TIMEDOUT) << curl_easy_strerror(r.code);
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace quotidia
