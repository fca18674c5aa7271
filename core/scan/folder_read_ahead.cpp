#include "scan/folder_read_ahead.h"

#include <algorithm>
#include <chrono>

namespace tarvela {

FolderReadAhead::FolderReadAhead(std::unique_ptr<platform::Directory> root,
                                 std::function<bool(const std::string&)> enters, unsigned workers)
    : enters_(std::move(enters)), root_(std::make_unique<Folder>()) {
    root_->dir = std::move(root);
    queued_.insert(root_.get());
    workers_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        workers_.emplace_back([this] { work(); });
}

FolderReadAhead::~FolderReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workAvailable_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

unsigned FolderReadAhead::defaultWorkers() {
    // Waiting on the disk costs no processor time, so more threads than cores pay on a cold disk.
    return std::clamp(2 * std::thread::hardware_concurrency(), 4u, 8u);
}

std::exception_ptr FolderReadAhead::read(Folder& folder) {
    try {
        if (folder.parent != nullptr)
            folder.dir = folder.parent->dir->openChild(folder.name);
        if (!folder.dir)
            return nullptr; // the walk reports it
        folder.entries = folder.dir->entries(&folder.complete);
        std::sort(folder.entries.begin(), folder.entries.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        std::uint32_t index = 0;
        for (const auto& e : folder.entries) {
            if (e.kind != platform::EntryKind::Folder || !enters_(e.name))
                continue;
            auto child = std::make_unique<Folder>();
            child->name = e.name;
            child->parent = &folder;
            child->order.reserve(folder.order.size() + 1);
            child->order = folder.order;
            child->order.push_back(index++);
            folder.children.push_back(std::move(child));
        }
        return nullptr;
    } catch (...) {
        return std::current_exception();
    }
}

void FolderReadAhead::finish(Folder& folder, std::exception_ptr failure) {
    folder.failure = std::move(failure);
    folder.state = Folder::State::Read;
    for (auto& child : folder.children)
        queued_.insert(child.get());
}

void FolderReadAhead::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workAvailable_.wait(lock, [this] { return stopping_ || (!queued_.empty() && ahead_ < kMaxAhead); });
        if (stopping_)
            return;
        Folder& folder = **queued_.begin();
        queued_.erase(queued_.begin());
        folder.state = Folder::State::Reading;
        folder.byWorker = true;
        ++ahead_;
        lock.unlock();
        auto failure = read(folder);
        lock.lock();
        finish(folder, std::move(failure));
        // Its subfolders may be work for the others (this worker takes the next item itself, so
        // a folder without subfolders wakes nobody); and the walk may be waiting for it.
        if (folder.children.size() > 1)
            workAvailable_.notify_all();
        folderRead_.notify_all();
    }
}

void FolderReadAhead::wait(Folder& folder, const std::function<void()>& whileWaiting) {
    std::unique_lock lock(mutex_);
    if (folder.state == Folder::State::Queued) {
        queued_.erase(&folder);
        folder.state = Folder::State::Reading;
        lock.unlock();
        auto failure = read(folder);
        lock.lock();
        finish(folder, std::move(failure));
        if (!workers_.empty() && !folder.children.empty())
            workAvailable_.notify_all();
    } else {
        while (folder.state != Folder::State::Read) {
            if (folderRead_.wait_for(lock, std::chrono::milliseconds(10)) == std::cv_status::timeout) {
                lock.unlock();
                if (whileWaiting)
                    whileWaiting();
                lock.lock();
            }
        }
        if (folder.byWorker) {
            --ahead_;
            workAvailable_.notify_one();
        }
    }
    if (folder.failure)
        std::rethrow_exception(folder.failure);
}

void FolderReadAhead::release(Folder& folder) {
    // Every folder below was waited for, so no worker touches any of it.
    folder.children.clear();
    folder.entries = {};
    folder.dir.reset();
}

} // namespace tarvela
