#include "base/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace varkel {

namespace {

// libcurl wants one global initialisation before the first handle, done once.
void ensureCurlReady() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::optional<std::string> urlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) return std::nullopt;
    std::string copy(text);
    curl_free(text);
    return copy;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct Transfer {
    const HttpBodySink* sink;
    const std::atomic<bool>* cancel;
    bool refused = false;
    bool chunked = false;  // the last response head named chunked framing
};

bool startsWithIgnoringCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && equalsIgnoringCase(text.substr(0, start.size()), start);
}

// One header line at a time; a status line starts a new response head.
std::size_t receiveHeader(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::string_view line(data, size * count);
    if (startsWithIgnoringCase(line, "HTTP/")) transfer->chunked = false;
    if (startsWithIgnoringCase(line, "transfer-encoding:")) {
        std::string value(line.substr(18));
        std::transform(value.begin(), value.end(), value.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        transfer->chunked = value.find("chunked") != std::string::npos;
    }
    return size * count;
}

// Called while connecting and transferring, at least about once a second even
// when nothing arrives: a non-zero answer aborts the transfer.
int checkCancel(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<const Transfer*>(context);
    return transfer->cancel != nullptr && transfer->cancel->load() ? 1 : 0;
}

std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t bytes = size * count;
    if (!(*transfer->sink)(data, bytes)) {
        transfer->refused = true;
        return 0;  // makes libcurl stop with a write error
    }
    return bytes;
}

}  // namespace

std::optional<std::string> httpUrlForPath(std::string_view baseAddress, std::string_view path) {
    ensureCurlReady();
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url) return std::nullopt;
    const std::string base(baseAddress);
    if (curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) return std::nullopt;
    const auto scheme = urlPart(url.get(), CURLUPART_SCHEME);
    const auto host = urlPart(url.get(), CURLUPART_HOST);
    if (!scheme || !equalsIgnoringCase(*scheme, "http") || !host || host->empty()) return std::nullopt;
    const std::string newPath(path);
    if (curl_url_set(url.get(), CURLUPART_PATH, newPath.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_QUERY, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK)
        return std::nullopt;
    return urlPart(url.get(), CURLUPART_URL);
}

HttpGetResult httpGet(const std::string& url, const HttpBodySink& sink, const std::atomic<bool>* cancel,
                      std::chrono::seconds timeLimit) {
    ensureCurlReady();
    HttpGetResult result;
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        result.detail = "could not start the HTTP client";
        return result;
    }
    // The agent name already fills the User-Agent header, so only Accept and the
    // two no-cache headers are added to the request.
    curl_slist* headerList = nullptr;
    for (const char* header : {"Accept: text/*", "Cache-Control: no-cache", "Pragma: no-cache"}) {
        curl_slist* extended = curl_slist_append(headerList, header);
        if (extended == nullptr) {
            curl_slist_free_all(headerList);
            result.detail = "out of memory";
            return result;
        }
        headerList = extended;
    }
    const std::unique_ptr<curl_slist, HeaderListDeleter> headers(headerList);
    Transfer transfer{&sink, cancel};
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "HttpGet - simple http client");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, static_cast<long>(timeLimit.count()));
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, receiveHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, receiveBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    // The client's own words for a failure name the host, the port and what
    // broke ("transfer closed with 312 bytes remaining to read"), where the
    // code's text alone reads the same for every refused or cut transfer.
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const auto started = std::chrono::steady_clock::now();
    const CURLcode code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    curl_off_t length = -1;
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    result.framed = length >= 0 || transfer.chunked;
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.outcome = HttpGetOutcome::Cancelled;
    } else if (code == CURLE_OPERATION_TIMEDOUT &&
               std::chrono::steady_clock::now() - started + std::chrono::seconds(1) >= timeLimit) {
        // The same code stands for 30 s without a byte; only the clock tells
        // the two apart (the client's clock runs a little apart from ours).
        result.outcome = HttpGetOutcome::TimedOut;
        result.detail = curl_easy_strerror(code);
    } else if (transfer.refused) {
        result.outcome = HttpGetOutcome::SinkRefused;
    } else if (code != CURLE_OK) {
        result.outcome = HttpGetOutcome::NetworkFailed;
        result.detail = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    } else {
        result.outcome = HttpGetOutcome::Completed;
    }
    return result;
}

}  // namespace varkel
