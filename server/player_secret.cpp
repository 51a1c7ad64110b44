#include "server/player_secret.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace quillomar::server {
namespace {

std::string hex(const unsigned char* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

}  // namespace

bool valid_player_name(std::string_view name) {
    if (name.empty() || name.size() > 32) {
        return false;
    }
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool valid_secret(std::string_view secret) {
    if (secret.size() < 16 || secret.size() > 128) {
        return false;
    }
    for (const char c : secret) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

std::string random_hex(std::size_t bytes) {
    std::vector<unsigned char> data(bytes);
    if (RAND_bytes(data.data(), static_cast<int>(bytes)) != 1) {
        throw std::runtime_error("the system's random generator failed");
    }
    return hex(data.data(), bytes);
}

std::string secret_hash(std::string_view salt, std::string_view secret) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool ok = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1 &&
                    EVP_DigestUpdate(context, salt.data(), salt.size()) == 1 &&
                    EVP_DigestUpdate(context, secret.data(), secret.size()) == 1 &&
                    EVP_DigestFinal_ex(context, digest, &size) == 1;
    EVP_MD_CTX_free(context);
    if (!ok) {
        throw std::runtime_error("SHA-256 failed");
    }
    return hex(digest, size);
}

bool same_hash(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace quillomar::server
