// WebRequest against real servers on loopback: nginx over https and http,
// and tinyproxy, as started by the http_servers fixture.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "http/web_request.h"
#include "text/primitives.h"
#include "support/test_servers.h"
#include "support/text_support.h"

namespace quotidia {
namespace {

class WebRequestServers : public ::testing::Test {
protected:
    void SetUp() override { SetCaFileForTesting(servers.caFile); }
    void TearDown() override { SetCaFileForTesting(""); }

    // A request with every parameter but the URL omitted.
    static WebRequestParams Get(const std::string& url) {
        WebRequestParams r;
        r.url = Text(url);
        return r;
    }

    const TestServers& servers = TestServers::Get();
};

TEST_F(WebRequestServers, PlainReplyOverHttpsAndHttp) {
    for (const std::string& url : {servers.HttpsUrl("/plain"), servers.HttpUrl("/plain")}) {
        WebRequestParams r = Get(url);
        EXPECT_EQ(WebRequest(r), "hello, world") << url;
        EXPECT_EQ(r.status, "200 OK") << url;
        EXPECT_EQ(TextLeft(r.responseHeaders, 17), "HTTP/1.1 200 OK\r\n") << url;
        EXPECT_EQ(TextRight(r.responseHeaders, 4), "\r\n\r\n") << url;
        EXPECT_EQ(r.responseBytes, ByteBuffer(std::string("hello, world"))) << url;
    }
}

TEST_F(WebRequestServers, NotFoundIsAResponseNotAFailure) {
    WebRequestParams r = Get(servers.HttpsUrl("/missing"));
    EXPECT_EQ(WebRequest(r), "not here");
    EXPECT_EQ(r.status, "404 Not Found");
}

TEST_F(WebRequestServers, CookiesOfTheResponse) {
    WebRequestParams r = Get(servers.HttpsUrl("/cookies"));
    WebRequest(r);
    // The lower-case "set-cookie" line does not count.
    EXPECT_EQ(r.returnedCookies, "a=1; b=2; d=x=y");
}

TEST_F(WebRequestServers, Redirects) {
    struct Case {
        const char* name;
        std::string url;
        bool noRedirect;
        Text wantBody;
        Text wantStatus;
    };
    const Case cases[] = {
        {"relative", servers.HttpsUrl("/redirect/relative"), false, "hello, world", "200 OK"},
        {"absolute", servers.HttpUrl("/redirect/absolute"), false, "hello, world", "200 OK"},
        {"ten in a row", servers.HttpsUrl("/chain/10"), false, "end of chain", "200 OK"},
        {"eleven are too many", servers.HttpsUrl("/chain/11"), false, "", Gbk("712 服务器未响应!")},
        {"https never goes down to http", servers.HttpsUrl("/redirect/to-http"), false, "", Gbk("712 服务器未响应!")},
        {"not followed when asked", servers.HttpsUrl("/redirect/relative"), true, "", "302 Moved Temporarily"},
    };
    for (const auto& c : cases) {
        WebRequestParams r = Get(c.url);
        r.noRedirect = c.noRedirect;
        Text body = WebRequest(r);
        if (c.noRedirect) {
            EXPECT_EQ(r.redirectTarget, "/plain") << c.name;
        } else {
            EXPECT_EQ(body, c.wantBody) << c.name;
        }
        if (c.wantStatus == "200 OK") {
            EXPECT_EQ(FindText(r.responseHeaders, "302"), -1) << c.name << ": a followed redirect's headers leaked";
        }
        EXPECT_EQ(r.status, c.wantStatus) << c.name;
    }
}

TEST_F(WebRequestServers, CookieSetOnTheWayGoesWithTheRedirectOnlyWhenCookiesAreOn) {
    WebRequestParams on = Get(servers.HttpsUrl("/redirect/set-cookie"));
    on.cookies = Text("");
    EXPECT_EQ(WebRequest(on), "r=1");

    WebRequestParams off = Get(servers.HttpsUrl("/redirect/set-cookie"));
    EXPECT_EQ(WebRequest(off), "");
    EXPECT_EQ(off.status, "200 OK");
}

TEST_F(WebRequestServers, BasicAuthentication) {
    WebRequestParams right = Get(servers.HttpsUrl("/auth/plain"));
    right.userName = Text(servers.authUser);
    right.password = Text(servers.authPassword);
    EXPECT_EQ(WebRequest(right), "authorized");

    WebRequestParams none = Get(servers.HttpsUrl("/auth/plain"));
    WebRequest(none);
    EXPECT_EQ(TextLeft(none.status, 3), "401");
}

TEST_F(WebRequestServers, UntrustedCertificateFailsTheSend) {
    SetCaFileForTesting("");
    WebRequestParams r = Get(servers.HttpsUrl("/plain"));
    EXPECT_EQ(WebRequest(r), "");
    EXPECT_EQ(r.status, Gbk("711 发送请求失败!"));
}

TEST_F(WebRequestServers, LargeBodyArrivesWhole) {
    WebRequestParams r = Get(servers.HttpUrl("/big/64M"));
    Text body = WebRequest(r);
    std::ifstream file(servers.dataDir + "/big/64M", std::ios::binary);
    std::string want((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(want.size(), 64u << 20);
    EXPECT_EQ(r.status, "200 OK");
    EXPECT_TRUE(body.str() == want) << "body of " << body.size() << " bytes differs";
    EXPECT_TRUE(r.responseBytes.str() == want);
}

TEST_F(WebRequestServers, DeclaredCharsets) {
    struct Case {
        const char* page;
        Text wantInBody;
    };
    const Case cases[] = {
        {"gbk.html", Gbk("中文页面")},
        {"GB2312.html", Gbk("中文页面")},
        {"utf-8.html", Gbk("中文页面")},
        {"upper-utf8.html", Gbk("中文页面")},
        {"big5.html", Gbk("中文頁面")},
        {"shift_jis.html", Gbk("日本語")},
        {"bogus.html", "plain ascii"},
        // Declared beyond the first 1024 bytes: the UTF-8 bytes stay as they came.
        {"late.html", Text("\xE4\xB8\xAD\xE6\x96\x87\xE9\xA1\xB5\xE9\x9D\xA2")},
    };
    for (const auto& c : cases) {
        WebRequestParams r = Get(servers.HttpsUrl(std::string("/charset/") + c.page));
        Text body = WebRequest(r);
        EXPECT_NE(FindText(body, c.wantInBody), -1) << c.page << ": " << ::testing::PrintToString(body);
        EXPECT_EQ(r.status, "200 OK") << c.page;
    }
    WebRequestParams bom = Get(servers.HttpsUrl("/charset/utf-8.html"));
    EXPECT_EQ(TextLeft(WebRequest(bom), 6), "<html>") << "the byte-order mark is dropped";
}

TEST_F(WebRequestServers, ThroughTheProxy) {
    struct Case {
        const char* name;
        std::string url;
        std::string user, password;
        Text wantBody;
        Text wantStatusStart;
    };
    const Case cases[] = {
        {"http in full form", servers.HttpUrl("/plain"), servers.proxyUser, servers.proxyPassword, "hello, world",
         "200"},
        {"https tunnelled", servers.HttpsUrl("/plain"), servers.proxyUser, servers.proxyPassword, "hello, world",
         "200"},
        {"http without credentials", servers.HttpUrl("/plain"), "", "", "", "407"},
        {"http with wrong credentials", servers.HttpUrl("/plain"), servers.proxyUser, "wrong", "", "401"},
        {"https tunnel refused", servers.HttpsUrl("/plain"), "", "", "", "711"},
    };
    for (const auto& c : cases) {
        WebRequestParams r = Get(c.url);
        r.proxy = Text(servers.ProxyAddress());
        r.proxyUser = Text(c.user);
        r.proxyPassword = Text(c.password);
        Text body = WebRequest(r);
        if (!c.wantBody.empty()) {
            EXPECT_EQ(body, c.wantBody) << c.name;
        }
        EXPECT_EQ(TextLeft(r.status, 3), c.wantStatusStart) << c.name << ": " << ::testing::PrintToString(r.status);
    }
    WebRequestParams viaProxy = Get(servers.HttpUrl("/plain"));
    viaProxy.proxy = Text(servers.ProxyAddress());
    viaProxy.proxyUser = Text(servers.proxyUser);
    viaProxy.proxyPassword = Text(servers.proxyPassword);
    WebRequest(viaProxy);
    EXPECT_NE(FindText(viaProxy.responseHeaders, "Via: 1.1 tinyproxy"), -1) << "the request did not pass the proxy";
}

}  // namespace
}  // namespace quotidia
