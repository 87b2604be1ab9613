#pragma once
// Where the loopback servers of the http_servers CTest fixture listen.
// tests/http/servers/start.sh writes their ports and credentials to a file,
// and the fixture passes its path in QUOTIDIA_TEST_SERVERS; a test that
// needs them is registered with quotidia_test(... SERVERS ...).

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quotidia {

struct TestServers {
    int httpsPort = 0;
    int httpPort = 0;
    int proxyPort = 0;
    std::string proxyUser, proxyPassword;
    std::string authUser, authPassword;
    std::string caFile;   // PEM of the throwaway CA that signed nginx's certificate
    std::string dataDir;  // the files nginx serves, e.g. dataDir + "/big/64M"

    // https://127.0.0.1:PORT + path; the certificate also names ::1 and localhost.
    std::string HttpsUrl(std::string_view path) const {
        return "https://127.0.0.1:" + std::to_string(httpsPort) + std::string(path);
    }
    std::string HttpUrl(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(httpPort) + std::string(path);
    }
    // 127.0.0.1:PORT of tinyproxy, as a proxy setting names it.
    std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(proxyPort); }

    // Read once per test program. Throws when the fixture did not run, which
    // GoogleTest reports as a failure of the calling test with this message.
    static const TestServers& Get() {
        static const TestServers servers = Load();
        return servers;
    }

private:
    static TestServers Load() {
        const char* path = std::getenv("QUOTIDIA_TEST_SERVERS");
        if (path == nullptr || *path == '\0') {
            throw std::runtime_error(
                "QUOTIDIA_TEST_SERVERS is not set: run this test through ctest, which starts "
                "the servers first (register it with quotidia_test(... SERVERS ...))");
        }
        std::ifstream in(path);
        if (!in) {
            throw std::runtime_error(std::string("cannot read ") + path +
                                     ": the http_servers_start test did not run or failed");
        }
        std::map<std::string, std::string, std::less<>> values;
        for (std::string line; std::getline(in, line);) {
            if (auto eq = line.find('='); eq != std::string::npos) {
                values[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        auto text = [&](std::string_view key) {
            auto it = values.find(key);
            if (it == values.end()) {
                throw std::runtime_error(std::string(path) + " has no " + std::string(key));
            }
            return it->second;
        };
        auto port = [&](std::string_view key) {
            std::string value = text(key);
            int n = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
            if (ec != std::errc() || end != value.data() + value.size() || n <= 0 || n > 65535) {
                throw std::runtime_error(std::string(path) + ": " + std::string(key) +
                                         " is not a port: " + value);
            }
            return n;
        };
        TestServers s;
        s.httpsPort = port("HTTPS_PORT");
        s.httpPort = port("HTTP_PORT");
        s.proxyPort = port("PROXY_PORT");
        s.proxyUser = text("PROXY_USER");
        s.proxyPassword = text("PROXY_PASSWORD");
        s.authUser = text("AUTH_USER");
        s.authPassword = text("AUTH_PASSWORD");
        s.caFile = text("CA_FILE");
        s.dataDir = text("DATA_DIR");
        return s;
    }
};

}  // namespace quotidia
