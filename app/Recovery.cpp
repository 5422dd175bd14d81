#include "app/Recovery.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/FileIO.h"

namespace nl {

namespace {
constexpr const char* kPrefix = "recovery-";
constexpr const char* kSuffix = ".Nl1";
constexpr const char* kLockSuffix = ".lock";

bool Running(int pid) {
    if (pid <= 0) return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// When process `pid` started (seconds since the epoch), 0 when the system does not say.
std::time_t ProcessStart(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    // The program name in parentheses may hold blanks: the fields are counted after its end.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(line.substr(close + 1));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 22 && rest >> field; ++i)
        if (i == 22) ticks = std::strtoull(field.c_str(), nullptr, 10);
    std::ifstream system("/proc/stat");
    long long boot = 0;
    while (std::getline(system, line))
        if (line.rfind("btime ", 0) == 0) boot = std::atoll(line.c_str() + 6);
    const long hz = ::sysconf(_SC_CLK_TCK);
    if (!boot || !ticks || hz <= 0) return 0;
    return static_cast<std::time_t>(boot +
                                    static_cast<long long>(ticks / static_cast<unsigned long long>(hz)));
}

// When a file was last written, in seconds and in nanoseconds since the epoch.
std::pair<std::time_t, long long> ModifiedTime(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return {0, 0};
    return {st.st_mtim.tv_sec, st.st_mtim.tv_sec * 1000000000ll + st.st_mtim.tv_nsec};
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
}

// A lock held on `file` (made when missing); -1 when another program holds it or it cannot be made.
int TryLock(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

TRecoveryCopies::TRecoveryCopies() {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    // Two controllers of one process (the tests make several) still get runs of their own.
    std::random_device rd;
    run_ = std::to_string(::getpid()) + "-" + std::to_string(now) + std::to_string(rd() % 1000);
}

TRecoveryCopies::~TRecoveryCopies() {
    Unlock();
}

void TRecoveryCopies::Unlock() {
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    lockFile_.clear();
}

std::filesystem::path TRecoveryCopies::OwnFile() const {
    return Folder.empty() ? std::filesystem::path() : Folder / (kPrefix + run_ + kSuffix);
}

bool TRecoveryCopies::Write(std::span<const uint8_t> bytes) {
    if (Folder.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(Folder, ec);
    const std::filesystem::path lock = Folder / (kPrefix + run_ + kLockSuffix);
    if (lockFd_ < 0 || lockFile_ != lock) {
        Unlock();
        lockFd_ = TryLock(lock);
        if (lockFd_ >= 0) lockFile_ = lock;
    }
    // Without its lock the copy would look left behind, and another start could take it away.
    if (lockFd_ < 0) return false;
    try {
        WriteFileAtomic(OwnFile(), bytes);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void TRecoveryCopies::Remove() {
    if (Folder.empty()) return;
    std::error_code ec;
    std::filesystem::remove(OwnFile(), ec);
}

void TRecoveryCopies::Closing() {
    Remove();
    std::error_code ec;
    if (!lockFile_.empty()) std::filesystem::remove(lockFile_, ec);
    Unlock();
}

std::vector<TLeftCopy> TRecoveryCopies::TakeLeftCopies() {
    std::vector<TLeftCopy> found;
    std::error_code ec;
    if (Folder.empty() || !std::filesystem::is_directory(Folder, ec)) return {};
    const std::filesystem::path own = OwnFile();
    for (const auto& e : std::filesystem::directory_iterator(Folder, ec)) {
        const std::string name = e.path().filename().string();
        if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix) || e.path() == own) continue;
        const std::string run = name.substr(9, name.size() - 9 - 4);
        const auto [saved, savedNs] = ModifiedTime(e.path());
        if (AllDigits(run)) {
            // A copy of an older program named after its process id alone: left behind when no
            // process has that id, or when the one that has it started after the copy was written.
            const int pid = std::stoi(run);
            if (Running(pid)) {
                const std::time_t started = ProcessStart(pid);
                if (!started || started <= saved) continue;
            }
        }
        TLeftCopy copy{e.path(), saved, savedNs, TryLock(Folder / (kPrefix + run + kLockSuffix))};
        if (copy.LockFd < 0) continue; // its program is running (or another start offers it)
        if (!std::filesystem::exists(copy.File, ec)) {
            // Its program closed cleanly a moment ago.
            Release(copy, true);
            continue;
        }
        found.push_back(copy);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const TLeftCopy& a, const TLeftCopy& b) { return a.SavedNs > b.SavedNs; });
    return found;
}

void TRecoveryCopies::Release(TLeftCopy& copy, bool remove) {
    std::error_code ec;
    if (remove) {
        std::filesystem::remove(copy.File, ec);
        std::filesystem::path lock = copy.File;
        lock.replace_extension(kLockSuffix);
        std::filesystem::remove(lock, ec);
    }
    if (copy.LockFd >= 0) ::close(copy.LockFd);
    copy.LockFd = -1;
}

std::string SavedTimeText(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

} // namespace nl
