// One WebRequest of a URL, for comparing a whole download with the curl
// program: prints the body size, the seconds it took and the peak resident
// memory of the process.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "http/web_request.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s URL [CA-FILE]\n", argv[0]);
        return 2;
    }
    if (argc > 2) quotidia::SetCaFileForTesting(argv[2]);
    quotidia::WebRequestParams r;
    r.url = argv[1];
    auto start = std::chrono::steady_clock::now();
    quotidia::WebRequest(r);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("bytes=%zu seconds=%.3f peak_kib=%ld status=%s\n", r.responseBytes.size(), seconds, usage.ru_maxrss,
                r.status.c_str());
    return r.status.str().rfind("200", 0) == 0 ? 0 : 1;
}
