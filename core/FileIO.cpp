#include "core/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
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

std::filesystem::path RealFileOf(const std::filesystem::path& path) {
    // The system follows at most 40 links in a row; so do we.
    std::filesystem::path p = path;
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec) return p;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    throw TError(path.string() + ": cannot write the file (too many levels of symbolic links)");
}

namespace {
// Writes all of `bytes` to `fd`; the reason of a failure, empty when all went.
std::string WriteAll(int fd, std::span<const uint8_t> bytes) {
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            return std::strerror(errno);
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    return {};
}

// A new temporary file beside `target`, open for writing, that nobody else made.
int MakeTemporary(const std::filesystem::path& target, std::filesystem::path& tmp, mode_t mode) {
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = dir / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Flushes a folder's entries (the rename in it). Some file systems cannot flush a folder; the
// file itself is written and renamed by then, so that is no reason to report a failure.
void FlushFolder(const std::filesystem::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}
} // namespace

void WriteFileAtomic(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    const auto fail = [&path](const std::string& why) {
        return TError(path.string() + ": cannot write the file (" + why + ")");
    };
    const std::filesystem::path target = RealFileOf(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        if (S_ISDIR(old.st_mode)) throw fail("it is a folder");
        // Replacing a file nobody may write would make it writable behind its owner's back.
        if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            throw TError(path.string() + ": the file is read-only; it was not replaced");
    }
    std::filesystem::path tmp;
    // A new file gets the usual permissions; a replaced one its own (set once the file is ours).
    int fd = MakeTemporary(target, tmp, replacing ? 0600 : 0666);
    if (fd < 0) throw fail(std::strerror(errno));
    std::string problem = WriteAll(fd, bytes);
    if (problem.empty() && replacing) {
        // The owner first: changing it may clear the set-id bits that the mode then puts back.
        // Only the superuser may give a file away; anyone else keeps the file as theirs.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) problem = std::strerror(errno);
    }
    if (problem.empty() && ::fsync(fd) != 0) problem = std::strerror(errno);
    if (::close(fd) != 0 && problem.empty()) problem = std::strerror(errno);
    if (problem.empty() && std::rename(tmp.c_str(), target.c_str()) != 0) problem = std::strerror(errno);
    if (!problem.empty()) {
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        throw fail(problem);
    }
    FlushFolder(target.parent_path());
}

} // namespace nl
