#pragma once
// Reads the folders of a tree ahead of a depth-first walk on worker threads, so that a cold disk
// has many requests in flight and a warm one keeps every core busy. The walk itself stays on the
// calling thread: it takes the folders in its own order, and a folder it reaches that no worker has
// taken yet it reads itself. Workers always take the queued folder that comes first in the walk's
// order and stop when a bounded number of folders are read but not yet walked, so memory and open
// folders stay bounded however large the tree is. With no workers this is a plain sequential walk.

#include "platform/directory.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tarvela {

class FolderReadAhead {
public:
    // One folder of the tree. The walk reads its fields only after wait() returned for it.
    struct Folder {
        std::string name; // its name in its parent; empty for the root
        Folder* parent = nullptr;
        std::vector<std::uint32_t> order;              // its place in the walk: child indices from the root
        std::unique_ptr<platform::Directory> dir;      // null when it could not be opened
        bool complete = true;                          // false when read only in part
        std::vector<platform::DirEntry> entries;       // every entry, by name
        std::vector<std::unique_ptr<Folder>> children; // the subfolders the walk enters, by name

    private:
        friend class FolderReadAhead;
        enum class State { Queued, Reading, Read } state = State::Queued;
        bool byWorker = false;
        std::exception_ptr failure;
    };

    // Walks below `root` (already open). `enters(name)` says whether the walk goes into a subfolder
    // of that name. `workers` threads read ahead (0: none).
    FolderReadAhead(std::unique_ptr<platform::Directory> root, std::function<bool(const std::string&)> enters,
                    unsigned workers);
    // Stops the workers; the folders they are reading are finished first.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    Folder& root() { return *root_; }

    // Returns when `folder` is read, reading it here when no worker has taken it. `whileWaiting`
    // runs on this thread every few milliseconds while a worker is still reading it. A failure of
    // the worker that read it is thrown here.
    void wait(Folder& folder, const std::function<void()>& whileWaiting);

    // The walk is done with the folder and everything below it: its memory and its open folder go.
    void release(Folder& folder);

    // How many threads read ahead by default: enough to keep several requests in flight on a cold
    // disk, and every core busy on a warm one.
    static unsigned defaultWorkers();

private:
    struct WalkOrder {
        bool operator()(const Folder* a, const Folder* b) const { return a->order < b->order; }
    };

    // Reads the folder (without the lock) and returns the failure, if any.
    std::exception_ptr read(Folder& folder);
    // Under the lock: marks the folder read and queues its subfolders.
    void finish(Folder& folder, std::exception_ptr failure);
    void work();

    // Folders read ahead and not yet walked, at most: enough to keep the workers busy, few enough to
    // keep memory and open folders small.
    static constexpr std::size_t kMaxAhead = 64;

    std::function<bool(const std::string&)> enters_;
    std::unique_ptr<Folder> root_;
    std::mutex mutex_;
    std::condition_variable workAvailable_; // a folder queued, room to read ahead, or the end
    std::condition_variable folderRead_;
    std::set<Folder*, WalkOrder> queued_; // known, not yet taken
    std::size_t ahead_ = 0;               // taken by a worker, not yet waited for
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace tarvela
