// The signature of the version list: a detached Ed25519 signature
// ("versions.txt.sig", the 64 raw bytes) made with the maker's private key,
// checked against the public key the program carries.
#pragma once

#include <string>

namespace kestrova {

// The name of the signature beside the version list.
inline constexpr const char* VersionListSignatureSuffix = ".sig";

// The public key built into the program (the build setting
// KESTROVA_UPDATE_PUBLIC_KEY) as 64 hexadecimal digits; "" when the build
// has none, so that only lists fetched over verified HTTPS are trusted.
std::string BuiltInUpdateKey();

// For tests running the program's code in their own process: the key
// BuiltInUpdateKey gives from now on ("" gives the built-in one back).
// Nothing outside the process can set it.
void ReplaceBuiltInUpdateKeyForTests(const std::string& publicKeyHex);

// True when `signature` (64 raw bytes) is a valid Ed25519 signature of
// `message` by the key `publicKeyHex` (the 32-byte raw public key in 64
// hexadecimal digits). False for any malformed key or signature.
bool VerifyUpdateSignature(const std::string& publicKeyHex, const std::string& message, const std::string& signature);

}  // namespace kestrova
