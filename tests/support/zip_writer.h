// ZIP archives made by the tests (minizip's writer).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kestrova::test {

// Writes a ZIP archive with the entries (name, data; names stored as given,
// "../x" included) to `path`, each dated 2 May 2021 12:30. Returns false
// when it cannot be written.
bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace kestrova::test
