#include "net/update_signature.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

#ifndef KESTROVA_UPDATE_PUBLIC_KEY
#define KESTROVA_UPDATE_PUBLIC_KEY ""
#endif

namespace kestrova {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& hex, std::vector<unsigned char>& bytes)
{
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return true;
}

std::string& KeyOverride()
{
    static std::string key;
    return key;
}

}  // namespace

std::string BuiltInUpdateKey()
{
    return KeyOverride().empty() ? std::string(KESTROVA_UPDATE_PUBLIC_KEY) : KeyOverride();
}

void ReplaceBuiltInUpdateKeyForTests(const std::string& publicKeyHex)
{
    KeyOverride() = publicKeyHex;
}

bool VerifyUpdateSignature(const std::string& publicKeyHex, const std::string& message, const std::string& signature)
{
    std::vector<unsigned char> key;
    if (!FromHex(publicKeyHex, key) || key.size() != 32 || signature.size() != 64)
        return false;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()), &EVP_PKEY_free);
    if (!pkey)
        return false;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, pkey.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

}  // namespace kestrova
