#include "http/web_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "http/cookies.h"
#include "http/curl_handles.h"
#include "http/pending_messages.h"
#include "regex/regex_object.h"
#include "text/charsets.h"
#include "text/code_pages.h"
#include "text/helpers.h"
#include "text/primitives.h"

namespace quotidia {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A multi handle with the one easy handle it drives; the easy handle is taken
// out again before the multi handle goes, as libcurl requires.
class Driver {
public:
    explicit Driver(CURL* easy) : easy_(easy), multi_(curl_multi_init()) {
        added_ = multi_ && curl_multi_add_handle(multi_, easy_) == CURLM_OK;
    }
    ~Driver() {
        if (added_) curl_multi_remove_handle(multi_, easy_);
        if (multi_) curl_multi_cleanup(multi_);
    }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    bool ok() const { return added_; }
    CURLM* multi() const { return multi_; }

private:
    CURL* easy_;
    CURLM* multi_;
    bool added_ = false;
};

constexpr int kMaxRedirects = 10;
constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

std::string& TestCaFile() {
    static std::string path;
    return path;
}

// libcurl set up once for the process, with TLS; false when either fails.
bool TransportReady() {
    static const bool ready = [] {
        if (!CurlInitialised()) return false;
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        return info && (info->features & CURL_VERSION_SSL);
    }();
    return ready;
}

std::string ToUtf8(const Text& text) { return Utf16ToCodePage(CodePageToUtf16(text, kGbkCodePage), kUtf8CodePage).str(); }

std::string UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, flags) != CURLUE_OK) return {};
    CurlString owned(raw);
    return raw ? std::string(raw) : std::string();
}

// Where a request goes: taken apart as the platform's URL cracker does, then
// put back together without user info or fragment for libcurl.
struct Target {
    std::string host;
    long port = 0;
    bool secure = false;
    // Path and query: "/" for an empty path, and the query kept even then.
    std::string objectName;
    std::string url;
};

std::optional<Target> ParseTarget(const std::string& url) {
    // libcurl would read "http:///x" as host "x"; the platform's cracker
    // finds no host there.
    auto authority = url.find("://");
    if (authority == std::string::npos || url.find_first_of("/?#", authority + 3) == authority + 3) return std::nullopt;
    CurlUrl parts(curl_url());
    if (!parts || curl_url_set(parts.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS) !=
                      CURLUE_OK) {
        return std::nullopt;
    }
    std::string scheme = UrlPart(parts.get(), CURLUPART_SCHEME);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme != "http" && scheme != "https") return std::nullopt;
    Target target;
    target.secure = scheme == "https";
    target.host = UrlPart(parts.get(), CURLUPART_HOST);
    if (target.host.empty()) return std::nullopt;
    std::string port = UrlPart(parts.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    target.port = port.empty() ? (target.secure ? 443 : 80) : std::stol(port);
    std::string path = UrlPart(parts.get(), CURLUPART_PATH);
    std::string query = UrlPart(parts.get(), CURLUPART_QUERY);
    target.objectName = path.empty() ? "/" : path;
    if (!query.empty()) target.objectName += "?" + query;
    target.url = scheme + "://" + target.host + ":" + std::to_string(target.port) + target.objectName;
    return target;
}

const char* Verb(int method) {
    static constexpr const char* kVerbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return (method >= 0 && method < 8) ? kVerbs[method] : "GET";
}

// The caller's lines, then each default line the block does not yet mention.
Text BuildHeaderBlock(const WebRequestParams& r) {
    Text block = TextLength(r.extraHeaders) > 0 ? r.extraHeaders + "\r\n" : Text();
    auto addUnless = [&block](const Text& search, bool ignoreCase, const Text& line) {
        if (FindText(block, search, 1, ignoreCase) == -1) block += line;
    };
    addUnless("User-Agent: ", true,
              "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n");
    addUnless("Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n");
    addUnless("Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n");
    addUnless("Accept-Language: ", true, "Accept-Language: zh-cn\r\n");
    if (r.method == 1) addUnless("Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n");
    addUnless("Cache-Control: ", true, "Cache-Control: no-cache\r\n");
    if (r.cookies && TextLength(*r.cookies) > 0) addUnless("Cookie: ", true, "Cookie: " + *r.cookies + "\r\n");
    return block;
}

bool NamesHeader(const TextArray& lines, const Text& name) {
    for (const Text& line : lines) {
        if (CompareText(TrimSpaces(TextLeftOf(line, ":")), name, false) == 0) return true;
    }
    return false;
}

// One list entry per line of the block, empty lines skipped. Headers that
// libcurl would add on its own and the block does not name are switched off,
// so that the request carries the block as built.
CurlSlist BuildCurlSlist(const Text& block, bool& ok) {
    ok = false;
    TextArray lines = SplitText(block, Text("\r\n"));
    curl_slist* list = nullptr;
    CurlSlist owned;
    auto append = [&](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown) return false;
        list = grown;
        owned.release();
        owned.reset(list);
        return true;
    };
    for (const Text& line : lines) {
        if (!line.empty() && !append(line.str())) return owned;
    }
    for (const char* name : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
        if (!NamesHeader(lines, name) && !append(std::string(name) + ":")) return owned;
    }
    ok = true;
    return owned;
}

// What one response delivers, as libcurl hands it over.
struct Exchange {
    std::string headerBlock;  // the current response's lines, each ended by CR LF
    bool informational = false;
    bool headersComplete = false;
    std::string body;
    bool outOfMemory = false;
    curl_off_t received = 0;  // header and body bytes, for the idle clock
    curl_off_t expectedLength = -1;
};

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
    auto* ex = static_cast<Exchange*>(user);
    const size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    try {
        if (line.substr(0, 5) == "HTTP/") {
            // Each response starts a block of its own: only the final one,
            // after any 1xx, is the response.
            ex->headerBlock.clear();
            ex->headersComplete = false;
            auto space = line.find(' ');
            ex->informational = space != std::string_view::npos && space + 1 < line.size() && line[space + 1] == '1';
        }
        ex->headerBlock.append(line).append("\r\n");
    } catch (const std::bad_alloc&) {
        ex->outOfMemory = true;
        return 0;
    }
    if (line.empty() && !ex->informational) ex->headersComplete = true;
    ex->received += static_cast<curl_off_t>(length);
    return length;
}

size_t OnBodyBytes(char* data, size_t size, size_t count, void* user) {
    auto* ex = static_cast<Exchange*>(user);
    const size_t length = size * count;
    try {
        // With a known length, take the memory once: growing by doubling
        // would hold up to three copies' worth at the last step.
        if (ex->body.empty() && ex->expectedLength > 0) {
            ex->body.reserve(static_cast<size_t>(ex->expectedLength));
        }
        ex->body.append(data, length);
    } catch (const std::bad_alloc&) {
        ex->outOfMemory = true;
        return 0;
    }
    ex->received += static_cast<curl_off_t>(length);
    return length;
}

enum class Outcome { Complete, NotSent, NoResponse, BodyCut };

curl_off_t InfoOffset(CURL* easy, CURLINFO what) {
    curl_off_t value = 0;
    curl_easy_getinfo(easy, what, &value);
    return value;
}

// Runs one exchange to its end. Each stage has the platform's own limit:
// resolving the name and connecting (TLS included) each get the whole time,
// and once the request goes out the clock measures silence, so a slow but
// flowing download never times out.
Outcome RunExchange(CURL* easy, Exchange& ex, milliseconds limit, size_t bodySize) {
    Driver driver(easy);
    if (!driver.ok()) return Outcome::NotSent;
    enum class Stage { Resolve, Connect, Transfer } stage = Stage::Resolve;
    const auto start = Clock::now();
    auto stageStart = start;
    auto lastActivity = start;
    curl_off_t lastBytes = -1;
    bool timedOut = false;
    CURLcode result = CURLE_OK;
    while (true) {
        int running = 0;
        if (curl_multi_perform(driver.multi(), &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(driver.multi(), &left)) {
                if (msg->msg == CURLMSG_DONE) result = msg->data.result;
            }
            break;
        }
        const auto now = Clock::now();
        if (stage != Stage::Transfer) {
            if (curl_off_t pre = InfoOffset(easy, CURLINFO_PRETRANSFER_TIME_T); pre > 0) {
                stage = Stage::Transfer;
                lastActivity = now;
            } else if (curl_off_t lookup = InfoOffset(easy, CURLINFO_NAMELOOKUP_TIME_T);
                       stage == Stage::Resolve && lookup > 0) {
                stage = Stage::Connect;
                stageStart = start + std::chrono::microseconds(lookup);
            }
        }
        if (stage == Stage::Transfer) {
            if (ex.expectedLength < 0) {
                ex.expectedLength = InfoOffset(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T);
            }
            curl_off_t bytes = ex.received + InfoOffset(easy, CURLINFO_SIZE_UPLOAD_T);
            if (bytes != lastBytes) {
                lastBytes = bytes;
                lastActivity = now;
            }
        }
        const auto deadline = (stage == Stage::Transfer ? lastActivity : stageStart) + limit;
        if (now >= deadline) {
            timedOut = true;
            break;
        }
        auto wait = std::chrono::duration_cast<milliseconds>(deadline - now) + milliseconds(1);
        int events = 0;
        curl_multi_poll(driver.multi(), nullptr, 0,
                        static_cast<int>(std::min<milliseconds>(wait, milliseconds(1000)).count()), &events);
        // A socket that woke us moved bytes, even when they do not yet make
        // a whole header line that the counters would see.
        if (events > 0 && stage == Stage::Transfer) lastActivity = Clock::now();
    }
    if (!timedOut && result == CURLE_OK && ex.headersComplete) return Outcome::Complete;
    if (ex.headersComplete) return Outcome::BodyCut;
    long requestSize = 0;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestSize);
    // The request size also counts a proxy's CONNECT; only past the
    // pre-transfer point has the request itself gone out.
    const bool requestSent = InfoOffset(easy, CURLINFO_PRETRANSFER_TIME_T) > 0 && requestSize > 0 &&
                             InfoOffset(easy, CURLINFO_SIZE_UPLOAD_T) >= static_cast<curl_off_t>(bodySize);
    return requestSent ? Outcome::NoResponse : Outcome::NotSent;
}

bool IsRedirect(long code) { return code == 301 || code == 302 || code == 303 || code == 307 || code == 308; }

// Sets the verb (and whether the body goes out) for the next exchange.
bool ApplyMethod(CURL* easy, const char* verb, const std::string& body) {
    const std::string_view v(verb);
    bool ok = curl_easy_setopt(easy, CURLOPT_NOBODY, 0L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    if (!ok) return false;
    if (v == "HEAD") return curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
    if (v == "POST" || !body.empty()) {
        ok = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
        if (!ok) return false;
    }
    if (v == "GET" && body.empty()) return true;
    if (v == "POST") return true;
    return curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb) == CURLE_OK;
}

// Sends the request and follows redirects as the platform does: at most ten,
// only to http or https, never from https down to http. Cookies set on the way
// stay in the handle's cookie engine when it is on.
Outcome SendFollowingRedirects(CURL* easy, const Target& first, int method, const std::string& body, bool noRedirect,
                  milliseconds limit, const std::function<bool(const Target&)>& prepareHop, Exchange& ex) {
    Target target = first;
    const char* verb = Verb(method);
    std::string sentBody = body;
    for (int redirects = 0;; ++redirects) {
        ex = Exchange{};
        if (!prepareHop(target) || curl_easy_setopt(easy, CURLOPT_URL, target.url.c_str()) != CURLE_OK ||
            !ApplyMethod(easy, verb, sentBody)) {
            return Outcome::NotSent;
        }
        Outcome outcome = RunExchange(easy, ex, limit, sentBody.size());
        if (outcome != Outcome::Complete || noRedirect) return outcome;
        long code = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        char* location = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        if (!IsRedirect(code) || !location) return outcome;
        std::optional<Target> next = ParseTarget(location);
        if (redirects == kMaxRedirects || !next || (target.secure && !next->secure)) return Outcome::NoResponse;
        if (code == 303 ? std::string_view(verb) != "HEAD" : (code <= 302 && std::string_view(verb) == "POST")) {
            verb = "GET";
            sentBody.clear();
        }
        target = std::move(*next);
    }
}

const char* MessageUtf8(int code) {
    switch (code) {
        case 700: return "700 当前系统不支持WinHttp服务!";
        case 701: return "701 解析URL地址失败!";
        case 702: return "702 创建WinHttp会话失败!";
        case 703: return "703 创建WinHttp连接失败!";
        case 704: return "704 创建WinHttp请求失败!";
        case 705: return "705 设置超时时间失败!";
        case 707: return "707 设置代理凭证失败!";
        case 708: return "708 禁止自动设置Cookies失败!";
        case 709: return "709 重定向设置失败!";
        case 710: return "710 设置协议头失败!";
        case 711: return "711 发送请求失败!";
        case 712: return "712 服务器未响应!";
        case 713: return "713 读取数据失败!";
        default: return "";
    }
}

void ProcessPendingMessagesTimes(int times) {
    for (int i = 0; i < times; ++i) ProcessPendingMessages();
}

// The stages of a request, numbered in the order they are entered. On the way
// out the window gets one turn per stage entered, from the innermost out.
enum Stage : int { kUrl = 1, kSession, kConnection, kRequest, kTimeouts, kHeaders, kSend, kReceive, kRead };

Text Fail(WebRequestParams& r, int code, int stagesEntered) {
    r.status = WebRequestMessage(code);
    ProcessPendingMessagesTimes(stagesEntered);
    return {};
}

template <typename T>
bool Set(CURL* easy, CURLoption option, T value) {
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

// The response's headers, cookies, redirect target and body, then the body
// as text in the charset that the page declares.
Text HandleResponse(WebRequestParams& r, Exchange& ex, bool autoMerge) {
    r.responseHeaders = Text(std::string_view(ex.headerBlock));
    const Text& headers = r.responseHeaders;
    int p = FindText(headers, "\r\n", 10);
    r.status = TextMid(headers, 10, p - 10);
    for (const Text& line : SplitText(headers, Text("\r\n"))) {
        if (TextLeftOf(line, ": ") == "Set-Cookie") {
            Text value = FindText(line, ";") == -1 ? ReplaceText(line, "Set-Cookie:", "", 1, std::nullopt, false)
                                                   : TextBetween(line, "Set-Cookie:", ";");
            r.returnedCookies += TrimSpaces(value) + "; ";
        }
        if (CompareText(TextLeft(line, 10), "Location: ", false) == 0) {
            r.redirectTarget = TextMid(line, 11, TextLength(line) - 10);
        }
        ProcessPendingMessages();
    }
    r.returnedCookies = TextLeft(r.returnedCookies, TextLength(r.returnedCookies) - 2);
    if (autoMerge && r.cookies) r.returnedCookies = MergeCookies(*r.cookies, r.returnedCookies);

    r.responseBytes = ByteBuffer(std::move(ex.body));
    Text bodyText = BytesToText(r.responseBytes);
    RegexObject regex;
    if (regex.Create(kCharsetPattern, TextLeft(bodyText, 1024))) {
        Text charset = regex.SubMatchText(1, 1);
        if (TextLength(charset) > 0 && charset != "gbk" && charset != "gb2312") {
            if (std::optional<Text> decoded = DecodeCharset(r.responseBytes, charset)) bodyText = std::move(*decoded);
        }
        ProcessPendingMessages();
    }
    return bodyText;
}

Text Request(WebRequestParams& r) {
    const bool autoMerge = r.autoMergeCookies.value_or(true);
    if (!TransportReady()) return Fail(r, 700, 0);

    std::optional<Target> target = ParseTarget(ToUtf8(r.url));
    if (!target) return Fail(r, 701, kUrl);

    CurlEasy easy(curl_easy_init());
    if (!easy) return Fail(r, 702, kSession);
    CURL* e = easy.get();
    const bool sessionOk =
        Set(e, CURLOPT_PROTOCOLS_STR, "http,https") && Set(e, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}) &&
        Set(e, CURLOPT_FOLLOWLOCATION, 0L) && Set(e, CURLOPT_NOSIGNAL, 1L) && Set(e, CURLOPT_QUICK_EXIT, 1L) &&
        Set(e, CURLOPT_PATH_AS_IS, 1L) && Set(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
        Set(e, CURLOPT_NOPROXY, "") && Set(e, CURLOPT_PROXY, "");
    if (!sessionOk) return Fail(r, 702, kSession);
    if (TextLength(r.proxy) > 0) {
        std::string proxy = ToUtf8(r.proxy);
        if (proxy.find("://") == std::string::npos) proxy = "http://" + proxy;
        // A proxy without a port listens on 80, as the platform assumes.
        if (!Set(e, CURLOPT_PROXY, proxy.c_str()) || !Set(e, CURLOPT_PROXYPORT, 80L) ||
            !Set(e, CURLOPT_HTTPPROXYTUNNEL, target->secure ? 1L : 0L)) {
            return Fail(r, 702, kSession);
        }
    }

    Exchange ex;
    if (!Set(e, CURLOPT_HEADERFUNCTION, OnHeaderLine) || !Set(e, CURLOPT_HEADERDATA, &ex) ||
        !Set(e, CURLOPT_WRITEFUNCTION, OnBodyBytes) || !Set(e, CURLOPT_WRITEDATA, &ex)) {
        return Fail(r, 703, kConnection);
    }
    const std::string& caFile = TestCaFile();
    if (!caFile.empty() && !Set(e, CURLOPT_CAINFO, caFile.c_str())) return Fail(r, 704, kRequest);

    const milliseconds limit(r.timeoutSeconds > 0 ? r.timeoutSeconds * 1000LL : 30000LL);
    // libcurl's own limit only backs up the exchange loop's, which is tighter.
    if (!Set(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limit.count() * 2 + 1000))) {
        return Fail(r, 705, kTimeouts);
    }

    const bool serverCredentials = TextLength(r.userName) > 0 && TextLength(r.password) > 0;
    if (TextLength(r.proxyUser) > 0 && TextLength(r.proxyPassword) > 0) {
        if (!Set(e, CURLOPT_PROXYUSERNAME, r.proxyUser.c_str()) ||
            !Set(e, CURLOPT_PROXYPASSWORD, r.proxyPassword.c_str()) ||
            !Set(e, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC))) {
            return Fail(r, 707, 0);
        }
    }
    // An empty string switches the cookie engine on without reading a file.
    if (r.cookies && !Set(e, CURLOPT_COOKIEFILE, "")) return Fail(r, 708, 0);
    if (r.noRedirect && !Set(e, CURLOPT_FOLLOWLOCATION, 0L)) return Fail(r, 709, 0);

    bool headersOk = false;
    CurlSlist headers = BuildCurlSlist(BuildHeaderBlock(r), headersOk);
    if (!headersOk || !Set(e, CURLOPT_HTTPHEADER, headers.get())) return Fail(r, 710, kHeaders);

    // Server credentials go to the host the caller named, not to wherever a
    // redirect leads.
    auto prepareHop = [&](const Target& hop) {
        bool sameServer = hop.host == target->host && hop.port == target->port;
        if (serverCredentials && sameServer) {
            return Set(e, CURLOPT_USERNAME, r.userName.c_str()) && Set(e, CURLOPT_PASSWORD, r.password.c_str()) &&
                   Set(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
        return Set(e, CURLOPT_USERNAME, static_cast<const char*>(nullptr)) &&
               Set(e, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
    };
    Outcome outcome = SendFollowingRedirects(e, *target, r.method, r.body.str(), r.noRedirect, limit, prepareHop, ex);
    if (outcome == Outcome::NotSent) return Fail(r, 711, kSend);
    if (outcome == Outcome::NoResponse) return Fail(r, 712, kReceive);

    Text bodyText = HandleResponse(r, ex, autoMerge);
    // A body cut short stays reported as such: the headers' status text would
    // otherwise make a truncated read look like a success.
    if (outcome == Outcome::BodyCut) r.status = WebRequestMessage(713);
    ProcessPendingMessagesTimes(kRead);
    return bodyText;
}

}  // namespace

Text WebRequestMessage(int code) { return Utf8ToAnsi(MessageUtf8(code)); }

void SetCaFileForTesting(std::string path) { TestCaFile() = std::move(path); }

Text WebRequest(WebRequestParams& request) {
    try {
        return Request(request);
    } catch (const std::bad_alloc&) {
        // Out of memory anywhere past the read loop: the body could not be
        // handed over whole.
        request.status = WebRequestMessage(713);
        return {};
    }
}

}  // namespace quotidia
