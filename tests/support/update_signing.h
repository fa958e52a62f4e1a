// An Ed25519 key pair made by a test, to sign version lists the way the
// maker's script does.
#pragma once

#include <string>

namespace kestrova::test {

class SigningKey {
public:
    // A fresh key pair.
    SigningKey();
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    // The public key as 64 hexadecimal digits (the program's key setting).
    std::string PublicHex() const;
    // The detached signature of the text: 64 raw bytes.
    std::string Sign(const std::string& text) const;
    // Writes the private key as PEM (for the signing script).
    bool WritePrivatePem(const std::string& path) const;

private:
    void* key_ = nullptr;  // EVP_PKEY
};

}  // namespace kestrova::test
