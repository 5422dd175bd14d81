// Recovery copies of unsaved work. While a worksheet has unsaved changes the program writes a
// copy now and then to a file of its own in the recovery folder, never over the user's file. Each
// run names its copy after its process id and the moment it started
// ("recovery-<pid>-<start>.Nl1") and holds a lock on a file of the same name ending in ".lock" for
// as long as it runs: the system lets go of the lock when the program ends in any way, so the next
// start can tell a copy whose program is gone from one whose program still runs, whatever process
// has the id by then. A clean exit removes the copy; a copy left behind is offered back at the next
// start.
#pragma once
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace nl {

// A copy another run left behind, locked by this run while it is offered.
struct TLeftCopy {
    std::filesystem::path File;
    std::time_t Saved = 0; // when it was written
    long long SavedNs = 0; // the same to the nanosecond, for the order of the offers
    int LockFd = -1;
};

class TRecoveryCopies {
public:
    TRecoveryCopies();
    // Lets go of this run's lock and keeps its copy, as after a crash: Closing removes both.
    ~TRecoveryCopies();
    TRecoveryCopies(const TRecoveryCopies&) = delete;
    TRecoveryCopies& operator=(const TRecoveryCopies&) = delete;

    // Where the copies go; empty: none are written or offered.
    std::filesystem::path Folder;
    // An autosave that came while an edit was under way waits for the edit's end.
    bool Deferred = false;

    // This run's copy (empty without a folder).
    std::filesystem::path OwnFile() const;
    // Writes this run's copy, the folder made and the run's lock taken first. False when it could
    // not be written.
    bool Write(std::span<const uint8_t> bytes);
    // Nothing is unsaved: this run's copy goes.
    void Remove();
    // The program ends cleanly: the copy and the lock go.
    void Closing();

    // Copies whose program is not running any more, newest first. Each is locked by this run (so a
    // second program starting at the same time does not offer it too) until it is released.
    std::vector<TLeftCopy> TakeLeftCopies();
    // Lets go of a left copy; with `remove` the copy and its lock file are deleted.
    static void Release(TLeftCopy& copy, bool remove);

private:
    std::string run_; // "<pid>-<start>"
    std::filesystem::path lockFile_;
    int lockFd_ = -1;
    void Unlock();
};

// "2024-05-01 14:03", local time: when a copy was saved, as the offer names it.
std::string SavedTimeText(std::time_t t);

} // namespace nl
