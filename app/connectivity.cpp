#include "app/connectivity.h"

#include <QNetworkInformation>

#include "http/curl_handles.h"

namespace quotidia {

namespace {

// Reachable from mainland China, where the sentence service's users are.
constexpr const char* kProbeUrl = "http://www.msftconnecttest.com/connecttest.txt";
// Start-up waits for the answer; never longer than this.
constexpr long kProbeTimeoutMs = 15000;

struct Probe {
    std::string url = kProbeUrl;
    bool askSystem = true;
};
Probe& CurrentProbe() {
    static Probe probe;
    return probe;
}

bool SystemSaysDisconnected() {
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) return false;  // no backend: go on
    QNetworkInformation* info = QNetworkInformation::instance();
    return info && info->reachability() == QNetworkInformation::Reachability::Disconnected;
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// Any HTTP answer at all means the page could be opened.
bool PageAnswers(const std::string& url) {
    if (!CurlInitialised()) return false;
    CurlEasy easy(curl_easy_init());
    if (!easy) return false;
    // No cached copy: ask every cache on the way for a fresh one.
    CurlSlist headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    // Appending keeps the list's head, so the owner stays right either way.
    if (headers) curl_slist_append(headers.get(), "Pragma: no-cache");
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_USERAGENT, "test");
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, kProbeTimeoutMs);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Discard);
    if (curl_easy_perform(e) != CURLE_OK) return false;
    long code = 0;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &code);
    return code > 0;
}

}  // namespace

bool IsConnectedToInternet() {
    const Probe& probe = CurrentProbe();
    if (probe.askSystem && SystemSaysDisconnected()) return false;
    return PageAnswers(probe.url);
}

void SetConnectivityProbeForTesting(std::string url) { CurrentProbe() = Probe{std::move(url), false}; }

}  // namespace quotidia
