#include "tests/support/update_signing.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <memory>

namespace kestrova::test {

namespace {

EVP_PKEY* Key(void* key)
{
    return static_cast<EVP_PKEY*>(key);
}

}  // namespace

SigningKey::SigningKey()
{
    key_ = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
}

SigningKey::~SigningKey()
{
    EVP_PKEY_free(Key(key_));
}

std::string SigningKey::PublicHex() const
{
    unsigned char raw[32];
    std::size_t length = sizeof raw;
    if (key_ == nullptr || EVP_PKEY_get_raw_public_key(Key(key_), raw, &length) != 1)
        return "";
    static const char Hex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        out += Hex[raw[i] >> 4];
        out += Hex[raw[i] & 15];
    }
    return out;
}

std::string SigningKey::Sign(const std::string& text) const
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (key_ == nullptr || !context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, Key(key_)) != 1)
        return "";
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(text.data()), text.size()) != 1)
        return "";
    signature.resize(length);
    return signature;
}

bool SigningKey::WritePrivatePem(const std::string& path) const
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = PEM_write_PrivateKey(f, Key(key_), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(f);
    return ok;
}

}  // namespace kestrova::test
