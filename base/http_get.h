#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varkel {

// `baseAddress` ("http://host[:port]", the server root) with its path replaced
// by `path`; any user name, password, query or fragment in it is dropped.
// Nullopt when the address is not an HTTP URL with a host.
std::optional<std::string> httpUrlForPath(std::string_view baseAddress, std::string_view path);

// Receives the response body chunk by chunk, as it arrives; returns false to
// abort the transfer (a failed write).
using HttpBodySink = std::function<bool(const char* data, std::size_t size)>;

enum class HttpGetOutcome {
    Completed,       // the whole response arrived; see `status`
    NetworkFailed,   // no connection, no byte for 30 s, or the body broke off
    TimedOut,        // the whole transfer took longer than its time limit
    SinkRefused,     // the sink returned false
    Cancelled,       // `cancel` was set while the transfer ran
};

struct HttpGetResult {
    HttpGetOutcome outcome = HttpGetOutcome::NetworkFailed;
    long status = 0;  // HTTP status code, 0 when no response arrived
    std::string detail;  // the client library's reason on a network failure
    // Whether the server said where the body ends (Content-Length or chunked
    // framing), so that a body cut short was detected. A body that simply ends
    // when the connection closes may be cut anywhere.
    bool framed = false;
};

// How long a whole transfer may take unless the caller says otherwise: a
// daily job must end, even behind a server that sends a byte now and then.
inline constexpr std::chrono::seconds defaultHttpTimeLimit{300};

// Sends one GET for `url` as the data-server client does: agent name
// "HttpGet - simple http client", Accept text/*, no caching anywhere on the way,
// 10 s to connect, aborted when no byte arrives for 30 s or when the whole
// transfer takes longer than `timeLimit`. Proxy variables of the environment
// are honoured. Redirects are not followed (a 3xx is a status). Setting
// `cancel` (when given) aborts the transfer within about a second, waiting or not.
HttpGetResult httpGet(const std::string& url, const HttpBodySink& sink, const std::atomic<bool>* cancel = nullptr,
                      std::chrono::seconds timeLimit = defaultHttpTimeLimit);

}  // namespace varkel
