#include "http/curl_handles.h"

namespace quotidia {

bool CurlInitialised() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

}  // namespace quotidia
