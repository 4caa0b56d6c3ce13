#pragma once

#include <memory>
#include <string>
#include <string_view>

// OpenSSL's digest context (EVP_MD_CTX), declared here so that users of
// this header need no OpenSSL headers.
struct evp_md_ctx_st;

namespace varkel {

// SHA-256 from OpenSSL's libcrypto: the library curl already brings along,
// kept up by Debian's security team. It names the input file of a
// permutation test's parts, and sums each part's rows, so that parts of runs
// on different data, or parts changed since they were written, are never
// merged.
class Sha256 {
public:
    Sha256();
    void update(std::string_view bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string hexDigest();

private:
    std::unique_ptr<evp_md_ctx_st, void (*)(evp_md_ctx_st*)> context_;
};

std::string sha256Hex(std::string_view bytes);

}  // namespace varkel
