#include "core/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "core/Errors.h"

namespace nl {

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw TReadError(path.string() + ": cannot open the file (" + std::strerror(errno) + ")");
    std::vector<uint8_t> data;
    // Reserving the file's size up front saves the copies of a growing buffer on large files.
    std::error_code ec;
    uintmax_t expected = std::filesystem::file_size(path, ec);
    if (!ec && expected <= maxBytes) data.reserve(static_cast<size_t>(expected));
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (data.size() + n > maxBytes) {
            std::fclose(f);
            throw TReadError(path.string() + ": the file is too large");
        }
        data.insert(data.end(), chunk, chunk + n);
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw TReadError(path.string() + ": read error");
    return data;
}

void WriteFileAtomic(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::random_device rd;
    std::filesystem::path tmp =
        dir / ("." + path.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw TError(path.string() + ": cannot write the file (" + std::strerror(errno) + ")");
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    std::string problem;
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            problem = std::strerror(errno);
            break;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (problem.empty() && ::fsync(fd) != 0) problem = std::strerror(errno);
    if (::close(fd) != 0 && problem.empty()) problem = std::strerror(errno);
    if (problem.empty() && std::rename(tmp.c_str(), path.c_str()) != 0) problem = std::strerror(errno);
    if (!problem.empty()) {
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        throw TError(path.string() + ": cannot write the file (" + problem + ")");
    }
}

} // namespace nl
