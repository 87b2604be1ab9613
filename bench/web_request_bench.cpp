// WebRequest against a bare libcurl loop with the same settings, over https to
// the loopback nginx that scripts/bench starts. A new connection each time, as
// the routine makes one per call.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdlib>
#include <string>

#include "http/web_request.h"
#include "support/test_servers.h"

namespace quotidia {
namespace {

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

const bool registered = [] {
    if (!std::getenv("QUOTIDIA_TEST_SERVERS")) return false;  // no servers: nothing to measure
    const TestServers& servers = TestServers::Get();
    const std::string url = servers.HttpsUrl("/plain");
    SetCaFileForTesting(servers.caFile);

    benchmark::RegisterBenchmark("WebRequest/https-get:ours", [url](benchmark::State& state) {
        for (auto _ : state) {
            WebRequestParams r;
            r.url = Text(url);
            benchmark::DoNotOptimize(WebRequest(r));
            if (r.status != "200 OK") state.SkipWithError("request failed");
        }
    })->Iterations(200)->Unit(benchmark::kMicrosecond);

    benchmark::RegisterBenchmark("WebRequest/https-get:baseline", [url, ca = servers.caFile](benchmark::State& state) {
        for (auto _ : state) {
            CURL* easy = curl_easy_init();
            curl_slist* headers = nullptr;
            for (const char* line : {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
                                     "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
                                     "Accept-Language: zh-cn", "Cache-Control: no-cache", "Expect:"}) {
                headers = curl_slist_append(headers, line);
            }
            curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
            curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1});
            curl_easy_setopt(easy, CURLOPT_CAINFO, ca.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXY, "");
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Discard);
            if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("request failed");
            curl_slist_free_all(headers);
            curl_easy_cleanup(easy);
        }
    })->Iterations(200)->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
}  // namespace quotidia
