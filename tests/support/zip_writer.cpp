#include "tests/support/zip_writer.h"

#include <zip.h>

namespace kestrova::test {

bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (const auto& [name, data] : entries) {
        zip_fileinfo info{};
        info.tmz_date = {0, 30, 12, 2, 4, 2021};  // 2 May 2021 12:30
        ok = ok && zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                         Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace kestrova::test
