#include "tests/support/zip_writer.h"

#include <zip.h>
#include <zlib.h>

#include <vector>

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

bool WriteZeroBomb(const std::string& path, const std::string& name, std::uint64_t mebibytes,
                   std::uint64_t announcedSize)
{
    // One MiB of zeros deflated and flushed to a byte boundary: the same
    // bytes repeated inflate to one more MiB each (they refer back only to
    // zeros), and an empty final block ends the stream.
    std::vector<unsigned char> zeros(1 << 20, 0);
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    std::vector<unsigned char> chunk(64 * 1024);
    stream.next_in = zeros.data();
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    deflate(&stream, Z_SYNC_FLUSH);
    chunk.resize(chunk.size() - stream.avail_out);
    std::vector<unsigned char> tail(64);
    stream.next_out = tail.data();
    stream.avail_out = static_cast<uInt>(tail.size());
    deflate(&stream, Z_FINISH);
    tail.resize(tail.size() - stream.avail_out);
    deflateEnd(&stream);

    const uLong mibCrc = crc32(0L, zeros.data(), static_cast<uInt>(zeros.size()));
    uLong crc = 0;
    for (std::uint64_t i = 0; i < mebibytes; ++i)
        crc = i == 0 ? mibCrc : crc32_combine(crc, mibCrc, static_cast<z_off_t>(zeros.size()));
    const std::uint64_t size = mebibytes << 20;

    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    zip_fileinfo info{};
    info.tmz_date = {0, 30, 12, 2, 4, 2021};
    bool ok = zipOpenNewFileInZip3_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1,
                                      -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, 1) == ZIP_OK;
    for (std::uint64_t i = 0; ok && i < mebibytes; ++i)
        ok = zipWriteInFileInZip(zip, chunk.data(), static_cast<unsigned>(chunk.size())) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, tail.data(), static_cast<unsigned>(tail.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZipRaw64(zip, announcedSize != 0 ? announcedSize : size, crc) == ZIP_OK;
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace kestrova::test
