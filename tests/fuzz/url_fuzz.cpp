// UrlHost and UrlPath on any text: together they are the URL after its scheme, the host holds no
// "/", and the path is empty or starts with one.
#include <string>

#include "fuzz_check.h"
#include "sync/http_time_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const std::string host = pelto::HttpTimeClient::UrlHost(url);
    const std::string path = pelto::HttpTimeClient::UrlPath(url);
    // The seven characters skipped are always the first seven, wherever "http://" stands.
    const size_t skipped = url.find("http://") != std::string::npos ? 7 : 0;
    FUZZ_CHECK(host + path == url.substr(skipped));
    FUZZ_CHECK(host.find('/') == std::string::npos);
    FUZZ_CHECK(path.empty() || path[0] == '/');
    return 0;
}
