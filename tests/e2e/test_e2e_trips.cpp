// A change larger than the medium, carried over several trips through the real tarvela-cli on a
// small exFAT medium: every trip ends normally with what fit, the rest follows with the next
// trips, also when a trip is stopped or killed and when the other computer works and sends in
// between. Mounting needs root, FUSE, exfatprogs and exfat-fuse; without them these tests skip.
#include "base/messages.h"
#include "mounted_disk.h"
#include "two_computers.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

// Content that tells every file and version apart, so a mix-up or a torn copy shows.
std::string contentOf(const std::string& name, std::size_t size, int version = 0) {
    std::string s = name + " v" + std::to_string(version) + "\n";
    s.reserve(size);
    std::uint32_t x = static_cast<std::uint32_t>(std::hash<std::string>{}(s));
    while (s.size() < size) {
        x = x * 1664525u + 1013904223u;
        s.push_back(static_cast<char>('a' + (x >> 24) % 26));
    }
    s.resize(size);
    return s;
}

class E2ETrips : public TwoComputersCli {
protected:
    // A 12 MiB exFAT medium (32 KiB clusters) with the profile on it.
    bool smallMedium() {
        mount_.emplace(MountedMedium::exfat(medium, dir / "trips.img", 12));
        if (!mount_->mounted())
            return false;
        save();
        return true;
    }

    // About 30 MiB in four folders: small documents, two folders of photos, two videos.
    void makeChange() {
        for (int i = 0; i < 40; ++i)
            put(work, "docs/d" + std::to_string(i) + ".txt", 20 * kKiB);
        for (int i = 0; i < 10; ++i)
            put(work, "photos/2025/p" + std::to_string(i) + ".jpg", 1500 * kKiB);
        for (int i = 0; i < 6; ++i)
            put(work, "photos/2026/p" + std::to_string(i) + ".jpg", 1 * kMiB);
        for (int i = 0; i < 2; ++i)
            put(work, "video/v" + std::to_string(i) + ".mp4", 4 * kMiB);
    }

    void put(const std::string& root, const std::string& name, std::size_t size, int version = 0) {
        makeFolders(fs::path(root + name).parent_path().string());
        writeFile(root + name, contentOf(name, size, version));
    }

    // One trip from work to home: the send and the receive, each ending normally. True when the
    // send carried everything it had to.
    bool trip(const std::vector<std::string>& sendOptions = {}) {
        const ChildResult sent = half("work-home", "work", sendOptions);
        EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
        EXPECT_EQ(sent.out.find(msg::kDiskFull), std::string::npos) << sent.out;
        const bool partial = sent.out.find(msg::kTripRestNextTime) != std::string::npos;
        receive("work-home", "home");
        return !partial;
    }

    void receive(const std::string& direction, const std::string& role) {
        const ChildResult got = half(direction, role);
        EXPECT_EQ(got.exitCode, 0) << got.out << got.err;
        EXPECT_EQ(got.out.find(msg::kStoredCopyMissing), std::string::npos) << got.out;
        EXPECT_EQ(got.out.find(msg::kFileMissing), std::string::npos) << got.out;
        EXPECT_EQ(got.out.find("(конфликт "), std::string::npos) << got.out;
    }

    // Trips until one carries everything; how many it took (at most `most`).
    int tripsUntilDone(int most, std::vector<std::string> firstOptions = {}) {
        for (int trips = 1; trips <= most; ++trips) {
            if (trip(trips == 1 ? firstOptions : std::vector<std::string>{}))
                return trips;
        }
        return most + 1;
    }

    std::optional<MountedMedium> mount_;
};

TEST_F(E2ETrips, AChangeThreeTimesTheMediumArrivesWholeOverSeveralTrips) {
    if (!smallMedium())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    makeChange();

    // The dry run counts the trips before the first.
    const ChildResult plan = half("work-home", "work", {"--full-copy", "all", "--dry-run"});
    EXPECT_EQ(plan.exitCode, 0) << plan.out << plan.err;
    const auto at = plan.out.find(msg::kTripsNeeded);
    ASSERT_NE(at, std::string::npos) << plan.out;
    const int planned = std::stoi(plan.out.substr(at + msg::kTripsNeeded.size()));

    // The first trip is the full copy: the small documents go whole first.
    const ChildResult first = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_NE(first.out.find(std::string(msg::kTripCarried)), std::string::npos) << first.out;
    EXPECT_NE(first.out.find(msg::kTripRestNextTime), std::string::npos) << first.out;
    // Counted again before the trip is received: the store a real send would replace counts as free.
    const ChildResult again = half("work-home", "work", {"--full-copy", "all", "--dry-run"});
    EXPECT_NE(again.out.find(std::string(msg::kTripsNeeded) + std::to_string(planned) + " "), std::string::npos)
        << again.out;
    receive("work-home", "home");
    for (int i = 0; i < 40; ++i) {
        const std::string name = "docs/d" + std::to_string(i) + ".txt";
        EXPECT_EQ(readFile(home + name), readFile(work + name)) << name;
    }
    EXPECT_NE(treeOf(work), treeOf(home));

    const int trips = 1 + tripsUntilDone(5);
    EXPECT_GE(trips, 3);
    EXPECT_LE(trips, 4);
    EXPECT_LE(planned, trips);
    EXPECT_GE(planned + 1, trips);
    EXPECT_EQ(treeOf(work), treeOf(home));

    // Nothing is left to carry: the next send stores nothing and says no partial trip.
    const ChildResult last = half("work-home", "work");
    EXPECT_EQ(last.exitCode, 0) << last.out << last.err;
    EXPECT_EQ(last.out.find(msg::kTripRestNextTime), std::string::npos) << last.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u);
}

// Between trips both computers work: home changes, removes and adds files it already has and
// sends them back; work changes a file still waiting to be carried. Each change arrives once, no
// conflict, nothing removed that was merely not carried yet.
TEST_F(E2ETrips, BothComputersWorkAndSendBetweenTrips) {
    if (!smallMedium())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    makeChange();
    ASSERT_FALSE(trip({"--full-copy", "all"}));
    ASSERT_TRUE(fs::exists(home + "docs/d0.txt"));
    ASSERT_FALSE(fs::exists(home + "video/v1.mp4")) << "the video waits for a later trip";

    put(home, "docs/d0.txt", 30 * kKiB, 1);
    fs::remove(home + "docs/d1.txt");
    put(home, "docs/from-home.txt", 5 * kKiB);
    halfDone("home-work", "home");
    receive("home-work", "work");
    EXPECT_EQ(readFile(work + "docs/d0.txt"), contentOf("docs/d0.txt", 30 * kKiB, 1));
    EXPECT_FALSE(fs::exists(work + "docs/d1.txt"));
    EXPECT_TRUE(fs::exists(work + "docs/from-home.txt"));
    // Work's files that have not travelled yet are still there: home's send did not remove them.
    EXPECT_TRUE(fs::exists(work + "video/v1.mp4"));

    put(work, "video/v1.mp4", 3 * kMiB, 2);
    tripsUntilDone(5);
    EXPECT_EQ(readFile(home + "video/v1.mp4"), contentOf("video/v1.mp4", 3 * kMiB, 2));
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// A receive killed, a send stopped (Ctrl-C), a send killed: each is taken up by the next run,
// and the trips still bring everything.
TEST_F(E2ETrips, InterruptedTripsAreTakenUpByTheNext) {
    if (!smallMedium())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    makeChange();
    ASSERT_FALSE(trip({"--full-copy", "all"}));

    const auto filesIn = [](const std::string& root) {
        std::size_t n = 0;
        for (const auto& e : fs::recursive_directory_iterator(root))
            n += e.is_regular_file();
        return n;
    };
    // The half, interrupted by `sig` once its copies are under way (the send has stored a file,
    // the receive has put one in place), or after a few seconds.
    const auto interrupted = [&](const std::string& role, int sig) {
        const std::size_t before = filesIn(home);
        ChildProcess child(
            {TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", role, "--direction", "work-home"},
            {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        const auto started = [&] { return role == "work" ? storedFiles(Side::Work) > 0 : filesIn(home) > before; };
        while (!started() && std::chrono::steady_clock::now() < until) {
            child.readAvailable();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        child.signal(sig);
        return child.finish();
    };

    // Killed during the receive: the receive runs again and takes the same store.
    halfDone("work-home", "work");
    interrupted("home", SIGKILL);
    ASSERT_TRUE(pending(Side::Work));
    receive("work-home", "home");

    // Stopped during the send: what it stored can still be received.
    const ChildResult stopped = interrupted("work", SIGINT);
    EXPECT_EQ(stopped.out.find(msg::kDiskFull), std::string::npos) << stopped.out;
    if (pending(Side::Work))
        receive("work-home", "home");

    // Killed during the send: the next send starts the trip afresh.
    interrupted("work", SIGKILL);
    EXPECT_LE(tripsUntilDone(4), 4);
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// The drive pulled out while a trip's send stores: the send fails, and once the drive is back the
// trips carry everything, nothing lost or doubled.
TEST_F(E2ETrips, ADrivePulledDuringATripIsTakenUpWhenItIsBack) {
    if (!smallMedium())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    makeChange();
    ASSERT_FALSE(trip({"--full-copy", "all"}));

    ChildProcess child(
        {TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "work", "--direction", "work-home"},
        {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (storedFiles(Side::Work) == 0 && std::chrono::steady_clock::now() < until) {
        child.readAvailable();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    child.signal(SIGSTOP);
    mount_->pull();
    child.signal(SIGCONT);
    const ChildResult pulled = child.finish();
    if (pulled.out.find("]  Конец операции: ") != std::string::npos)
        GTEST_SKIP() << "the copies were done before the drive could be pulled";
    EXPECT_NE(pulled.exitCode, 0) << pulled.out << pulled.err;
    ASSERT_TRUE(mount_->plugIn());

    // What the pulled send left is either received as far as it goes or replaced by the next send.
    if (pending(Side::Work))
        receive("work-home", "home");
    EXPECT_LE(tripsUntilDone(4), 4);
    EXPECT_EQ(treeOf(work), treeOf(home));
}

} // namespace
} // namespace tarvela::test
