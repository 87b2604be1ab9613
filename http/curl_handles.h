#pragma once
// Ownership of libcurl's handles, for every part of the program that drives
// libcurl (the web request routine, the application's connectivity check).

#include <curl/curl.h>

#include <memory>

namespace quotidia {

struct CurlEasyCloser {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct CurlSlistCloser {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
struct CurlUrlCloser {
    void operator()(CURLU* url) const noexcept { curl_url_cleanup(url); }
};
struct CurlStringFree {
    void operator()(char* s) const noexcept { curl_free(s); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCloser>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistCloser>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlCloser>;
using CurlString = std::unique_ptr<char, CurlStringFree>;

// libcurl's process-wide set-up, done once; false when it failed.
bool CurlInitialised();

}  // namespace quotidia
