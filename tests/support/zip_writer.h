// ZIP archives made by the tests (minizip's writer).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::test {

// Writes a ZIP archive with the entries (name, data; names stored as given,
// "../x" included) to `path`, each dated 2 May 2021 12:30. Returns false
// when it cannot be written.
bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

// Writes a ZIP archive whose one entry `name` inflates to `mebibytes` MiB of
// zero bytes (a compression bomb: about 1 KiB per MiB on disk). The header
// announces `announcedSize` bytes (the true size when 0) with the true
// CRC-32 of the data.
bool WriteZeroBomb(const std::string& path, const std::string& name, std::uint64_t mebibytes,
                   std::uint64_t announcedSize = 0);

}  // namespace kestrova::test
