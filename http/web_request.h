#pragma once
// The program's one HTTP routine: one complete request on the calling thread,
// the whole body read, every failure a numbered message in `status`.

#include <optional>
#include <string>

#include "text/types.h"

namespace quotidia {

// The parameters of one request. The routine reads the in-parameters and
// writes the out-parameters (returnedCookies, responseHeaders,
// redirectTarget, status, responseBytes; cookies through the merge) only where
// a stage that ran produces them; a failure writes `status` alone.
struct WebRequestParams {
    Text url;
    // 0 GET, 1 POST (with a default form Content-Type), 2 HEAD, 3 PUT,
    // 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; anything else GET.
    int method = 0;
    Text body;
    // Supplied (even empty): the transport keeps cookies within the call and,
    // with autoMergeCookies, the returned cookies are merged into it.
    std::optional<Text> cookies;
    Text returnedCookies;
    // Header lines separated by CR LF, without a final line break.
    Text extraHeaders;
    Text responseHeaders;
    bool noRedirect = false;
    Text userName;
    Text password;
    // "host:port"; empty means a direct connection whatever the environment says.
    Text proxy;
    Text proxyUser;
    Text proxyPassword;
    // Below 1 means 30 seconds.
    int timeoutSeconds = 0;
    Text redirectTarget;
    Text status;
    ByteBuffer responseBytes;
    // Omitted means true.
    std::optional<bool> autoMergeCookies;
};

// The body as text, converted from the page's declared charset when it names
// one; empty after every failure but 713.
Text WebRequest(WebRequestParams& request);

// The failure message of a code from 700 to 713 (there is no 706), in code
// page 936; empty for any other number.
Text WebRequestMessage(int code);

// Tests only: trust this CA file (PEM) in place of the system's store. Empty
// goes back to the system's store.
void SetCaFileForTesting(std::string path);

}  // namespace quotidia
