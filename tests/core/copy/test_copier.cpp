#include "copy/copier.h"
#include "copy/content_checksum.h"
#include "base/echo_color.h"
#include "file_size_limit.h"
#include "base/messages.h"
#include "platform/file_copy.h"
#include "recording_host.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tarvela {
namespace {

namespace fs = std::filesystem;
using test::EchoLine;
using test::ProgressStep;
using test::notice;
using test::red;
using test::TempDir;
using test::writeFile;

constexpr platform::FileTime kSourceTime{1234567890, 123456789};
constexpr std::int64_t kChunk = platform::kCopyChunk;

struct SizeCase {
    const char* name;
    std::int64_t size;
    bool destExists;
};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string pattern(std::int64_t size) {
    std::string s(static_cast<std::size_t>(size), '\0');
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
    return s;
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

// Runs the test's next steps as an ordinary user when the tests run as root (as in CI), so that
// permissions apply.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_ && ::seteuid(65534) != 0) throw std::runtime_error("seteuid failed");
    }
    ~AsOrdinaryUser() {
        if (wasRoot_ && ::seteuid(0) != 0) std::abort();
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

using test::FileSizeLimit;

class CopierTest : public ::testing::Test {
protected:
    void SetUp() override {
        copier.SetProgressBar(&host);
        copier.WriteMemoResult(&host);
        host.fileProgress.clear();
    }

    // A source file with a known time and mode.
    std::string makeSource(const std::string& path, const std::string& content) {
        writeFile(path, content);
        fs::permissions(path, fs::perms(0640));
        test::setMtime(path, kSourceTime);
        return path;
    }

    TempDir dir;
    test::RecordingHost host;
    TFileCopier copier;
};

TEST_F(CopierTest, CopiesContentTimeAndModeAndReplacesAnExistingDestination) {
    const SizeCase cases[] = {
        {"empty", 0, false},
        {"empty_over_old", 0, true},
        {"small", 5, false},
        {"small_over_old", 5, true},
        {"three_chunks_over_old", 2 * kChunk + 1, true},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = dir / c.name;
        const std::string content = pattern(c.size);
        const std::string source = makeSource(folder + "/src", content);
        const std::string dest = folder + "/dest";
        if (c.destExists) {
            writeFile(dest, "old content that is longer than five bytes");
            fs::permissions(dest, fs::perms(0600));
        }
        host.fileProgress.clear();

        EXPECT_TRUE(CopyFileExProgress(copier, source, dest));

        EXPECT_TRUE(test::readFile(dest) == content);
        EXPECT_EQ(test::mtimeOf(dest), kSourceTime) << "to the nanosecond";
        EXPECT_EQ(modeOf(dest), 0640u);
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"dest", "src"})) << "no temporary file left";
        EXPECT_TRUE(host.lines.empty());
        EXPECT_EQ(copier.Flag(), 0u);
        std::vector<ProgressStep> expected{{0, c.size}};
        for (std::int64_t done = 0; done < c.size;) {
            done = std::min(done + kChunk, c.size);
            expected.push_back({done, c.size});
        }
        EXPECT_EQ(host.fileProgress, expected) << "the bar's maximum is the size; one step per chunk";
        EXPECT_EQ(copier.ProgressMaximum(), c.size);
    }
}

TEST_F(CopierTest, GivenLastWriteTimeIsUsedForThatCopyOnly) {
    const std::string source = makeSource(dir / "src", "data");
    const platform::FileTime tableTime{1700000000, 123000000};

    ASSERT_TRUE(CopyFileExProgress(copier, source, dir / "received", tableTime));
    EXPECT_EQ(test::mtimeOf(dir / "received"), tableTime);

    ASSERT_TRUE(CopyFileExProgress(copier, source, dir / "next"));
    EXPECT_EQ(test::mtimeOf(dir / "next"), kSourceTime);
}

TEST_F(CopierTest, StopDuringTheCopyKeepsTheOldDestinationAndLeavesNoTemporaryFile) {
    const SizeCase cases[] = {
        {"one_chunk_new", 5, false},
        {"one_chunk_over_old", 5, true},
        {"many_chunks_new", 2 * kChunk + 1, false},
        {"many_chunks_over_old", 2 * kChunk + 1, true},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = dir / c.name;
        const std::string source = makeSource(folder + "/src", pattern(c.size));
        const std::string dest = folder + "/dest";
        if (c.destExists) writeFile(dest, "old");
        host.lines.clear();
        host.fileProgress.clear();
        // The stop button, pressed while the first chunk's progress is shown.
        host.onFileProgress = [&](std::int64_t position) {
            if (position > 0) copier.SetCopyBreak(true);
        };

        EXPECT_FALSE(CopyFileExProgress(copier, source, dest));

        host.onFileProgress = nullptr;
        // A stop is the user's doing: a notice that the file was not copied, not a failure.
        EXPECT_EQ(host.lines, (std::vector<EchoLine>{notice(msg::kFileCopyStopped, source)}));
        EXPECT_EQ(host.fileProgress.back().position, std::min(c.size, kChunk)) << "abandoned after one chunk";
        if (c.destExists) {
            EXPECT_EQ(test::readFile(dest), "old");
            EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"dest", "src"}));
        } else {
            EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"src"}));
        }
    }
}

TEST_F(CopierTest, FullDiskKeepsTheOldDestinationAndLeavesNoTemporaryFile) {
    const std::string source = makeSource(dir / "src", pattern(1 << 20));
    writeFile(dir / "dest", "old");
    bool copied = true;
    {
        const FileSizeLimit limit(64 << 10);
        copied = CopyFileExProgress(copier, source, dir / "dest");
    }
    EXPECT_FALSE(copied);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileCopyError, source)}));
    EXPECT_EQ(test::readFile(dir / "dest"), "old");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"dest", "src"}));
}

TEST_F(CopierTest, AFileOverTheFat32LimitThatCannotBeWrittenSaysSo) {
    // A sparse source one byte over 4 GiB; the destination refuses to grow past 64 KiB (EFBIG, as a
    // FAT32 drive refuses a file of 4 GiB or more).
    const std::string source = dir / "huge.bin";
    writeFile(source, "");
    std::error_code ec;
    fs::resize_file(source, std::uintmax_t{1} << 32, ec);
    if (ec) GTEST_SKIP() << "no sparse file of 4 GiB here";
    bool copied = true;
    {
        const FileSizeLimit limit(64 << 10);
        copied = CopyFileExProgress(copier, source, dir / "dest");
    }
    EXPECT_FALSE(copied);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileTooBigForFileSystem, source)}));
    EXPECT_EQ(copier.LastDiskTrouble(), DiskTrouble::None) << "smaller files still fit";
    EXPECT_FALSE(fs::exists(dir / "dest"));
}

TEST_F(CopierTest, FailuresWriteOneRedLineChosenByTheirCause) {
    writeFile(dir / "file", "data");
    test::makeFolders(dir / "folder");
    struct Case {
        const char* name;
        bool progressBar;
        bool memoResult;
        std::string source;
        std::string dest;
        std::vector<EchoLine> expected;
    };
    const std::string missing = dir / "missing";
    const Case cases[] = {
        {"missing source: FileSize reports it", true, true, missing, dir / "d1", {red(msg::kFileNotFound, missing)}},
        {"missing source without a bar: the copy reports it", false, true, missing, dir / "d2",
         {red(msg::kFileNotCopied, missing)}},
        {"destination folder missing: the folder is named", true, true, dir / "file", dir / "no/d3",
         {red(msg::kFolderUnreachable, dir / "no")}},
        {"a folder as source", true, true, dir / "folder", dir / "d4", {red(msg::kNotRegularFile, dir / "folder")}},
        {"no result target: failed copies write nothing", true, false, dir / "file", dir / "no/d5", {}},
        {"no result target: FileSize still writes", true, false, missing, dir / "d6",
         {red(msg::kFileNotFound, missing)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingHost h;
        TFileCopier fresh;
        if (c.progressBar) fresh.SetProgressBar(&h);
        if (c.memoResult) fresh.WriteMemoResult(&h);
        fresh.WriteMemoResult(nullptr); // does not detach

        EXPECT_FALSE(CopyFileExProgress(fresh, c.source, c.dest));
        EXPECT_EQ(h.lines, c.expected);
        EXPECT_FALSE(fs::exists(c.dest));
    }
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"file", "folder"})) << "no temporary file left";
}

// The step before the copy takes its name (a conflict's set-aside) runs only for a complete copy
// whose checksum matched; when it refuses, the destination stays as it was and only the step speaks.
TEST_F(CopierTest, TheStepBeforeReplacingRunsOnlyForASoundCopyAndItsRefusalKeepsTheDestination) {
    const std::string source = makeSource(dir / "source", pattern(3 * kChunk / 2));
    const std::string content = pattern(3 * kChunk / 2);
    const std::uint64_t sound = contentChecksumOf(content.data(), content.size());
    struct Case {
        const char* name;
        std::optional<std::uint64_t> expected;
        bool stepSays;
        bool copied;
        bool stepRuns;
        std::size_t redLines;
    };
    const Case cases[] = {
        {"sound copy, step agrees", sound, true, true, true, 0},
        {"no checksum to check, step agrees", std::nullopt, true, true, true, 0},
        {"sound copy, step refuses", sound, false, false, true, 0},
        {"damaged copy: the step never runs", sound + 1, true, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dest = dir / "dest";
        writeFile(dest, "old version");
        host.lines.clear();
        bool ran = false;
        const bool copied = CopyFileExProgress(copier, source, dest, std::nullopt, CopySource::Medium,
                                               ChecksumUse{false, c.expected}, [&] {
                                                   ran = true;
                                                   EXPECT_EQ(test::readFile(dest), "old version");
                                                   return c.stepSays;
                                               });
        EXPECT_EQ(copied, c.copied);
        EXPECT_EQ(ran, c.stepRuns);
        EXPECT_EQ(test::readFile(dest), c.copied ? content : "old version");
        EXPECT_EQ(std::count_if(host.lines.begin(), host.lines.end(),
                                [](const EchoLine& l) { return l.color == color::kRed; }),
                  static_cast<std::ptrdiff_t>(c.redLines));
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"dest", "source"})) << "no temporary file left";
    }
    // The step belongs to that one copy.
    int runs = 0;
    EXPECT_TRUE(CopyFileExProgress(copier, source, dir / "dest", std::nullopt, CopySource::Medium, ChecksumUse{},
                                   [&] { return ++runs > 0; }));
    EXPECT_TRUE(CopyFileExProgress(copier, source, dir / "dest", std::nullopt, CopySource::Medium));
    EXPECT_EQ(runs, 1);
}

TEST_F(CopierTest, ASourceOnTheMediumIsNeverFollowedAndIsNamedByItsDestination) {
    writeFile(dir / "outside/secret", "secret");
    test::makeFolders(dir / "store");
    fs::create_symlink(dir / "outside/secret", dir / "store/LINK");
    fs::create_symlink(dir / "outside/none", dir / "store/DANGLING");
    test::makeFolders(dir / "store/FOLDER");
    ASSERT_EQ(::mkfifo((dir / "store/FIFO").c_str(), 0600), 0);
    writeFile(dir / "store/GOOD", "good");
    writeFile(dir / "home/secret", "mine");

    for (const char* name : {"LINK", "DANGLING", "FOLDER", "FIFO"}) {
        SCOPED_TRACE(name);
        host.lines.clear();
        EXPECT_FALSE(CopyFileExProgress(copier, dir / (std::string("store/") + name), dir / "home/secret", std::nullopt,
                                        CopySource::Medium));
        EXPECT_EQ(test::readFile(dir / "home/secret"), "mine");
        EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kNotRegularFile, dir / "home/secret")}));
        EXPECT_EQ(copier.LastDiskTrouble(), DiskTrouble::None);
    }
    host.lines.clear();
    EXPECT_TRUE(CopyFileExProgress(copier, dir / "store/GOOD", dir / "home/good", std::nullopt, CopySource::Medium));
    EXPECT_TRUE(host.lines.empty());

    // The store folder gone with the medium: the folder is named once and the copier says why.
    EXPECT_FALSE(CopyFileExProgress(copier, dir / "gone/GOOD", dir / "home/other", std::nullopt, CopySource::Medium));
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFolderUnreachable, dir / "gone")}));
    EXPECT_EQ(copier.LastDiskTrouble(), DiskTrouble::SourceGone);

    // A link in a user's folder is still copied as the file it points to.
    fs::create_symlink(dir / "home/good", dir / "home/link");
    EXPECT_TRUE(CopyFileExProgress(copier, dir / "home/link", dir / "store/COPY"));
    EXPECT_EQ(test::readFile(dir / "store/COPY"), "good");
    EXPECT_EQ(copier.LastDiskTrouble(), DiskTrouble::None);
}

TEST_F(CopierTest, PermissionDeniedIsAnAccessError) {
    // The source folder open to everybody, the source file to nobody; the second folder not even
    // searchable, so that the size lookup itself fails.
    fs::permissions(dir.path(), fs::perms(0755));
    const std::string source = dir / "open/secret";
    writeFile(source, "data");
    fs::permissions(dir / "open", fs::perms(0755));
    fs::permissions(source, fs::perms::none);
    const std::string hidden = dir / "closed/file";
    writeFile(hidden, "data");
    fs::permissions(dir / "closed", fs::perms::none);
    const std::string dest = dir / "open/copy";

    bool copiedSecret = true;
    bool copiedHidden = true;
    std::int64_t hiddenSize = 0;
    {
        const AsOrdinaryUser user;
        copiedSecret = CopyFileExProgress(copier, source, dest);
        copiedHidden = CopyFileExProgress(copier, hidden, dest);
        hiddenSize = FileSize(hidden, host);
    }
    EXPECT_FALSE(copiedSecret);
    EXPECT_FALSE(copiedHidden);
    EXPECT_EQ(hiddenSize, -1);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileAccessError, source), red(msg::kFileAccessError, hidden),
                                                 red(msg::kFileAccessError, hidden)}));
    EXPECT_FALSE(fs::exists(dest));
}

TEST_F(CopierTest, FileSizeReportsAMissingFile) {
    writeFile(dir / "five", "12345");
    EXPECT_EQ(FileSize(dir / "five", host), 5);
    EXPECT_EQ(FileSize(dir / "missing", host), -1);
    EXPECT_EQ(FileSize(dir / "five/below", host), -1) << "a path through a file is missing too";
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileNotFound, dir / "missing"),
                                                 red(msg::kFileNotFound, dir / "five/below")}));
}

TEST_F(CopierTest, ACopyStartedWhileTheBreakFlagIsSetDoesNothing) {
    const std::string source = makeSource(dir / "src", "data");
    copier.SetSource(source);
    copier.SetDest(dir / "dest");
    copier.SetCopyBreak(true);

    EXPECT_FALSE(copier.Copy());
    EXPECT_TRUE(host.lines.empty());
    EXPECT_TRUE(host.fileProgress.empty());
    EXPECT_FALSE(fs::exists(dir / "dest"));
}

TEST_F(CopierTest, ACopyStartedFromItsOwnProgressIsRefusedAndTheFirstGoesOn) {
    const std::string source = makeSource(dir / "src", "data");
    bool nested = true;
    host.onFileProgress = [&](std::int64_t position) {
        if (position == 4) nested = copier.Copy();
    };
    EXPECT_TRUE(CopyFileExProgress(copier, source, dir / "dest"));
    EXPECT_FALSE(nested);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileCopyError, source)}));
    EXPECT_EQ(test::readFile(dir / "dest"), "data");
}

// Files from 201 MiB on bypass the page cache. Sparse sources keep these cheap.
TEST_F(CopierTest, CacheBypassIsChosenFrom201MiB) {
    struct Case {
        std::int64_t size;
        std::uint32_t flag;
    };
    const Case cases[] = {{210763776, COPY_FILE_NO_BUFFERING}, {210763775, 0}, {1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string source = dir / ("src" + std::to_string(c.size));
        writeFile(source, "");
        fs::resize_file(source, static_cast<std::uintmax_t>(c.size));
        // The choice is made before the copy starts; stop at the first chunk.
        host.onFileProgress = [&](std::int64_t position) {
            if (position > 0) copier.SetCopyBreak(true);
        };
        EXPECT_FALSE(CopyFileExProgress(copier, source, dir / "dest"));
        EXPECT_EQ(copier.Flag(), c.flag);
    }
    EXPECT_FALSE(fs::exists(dir / "dest"));
}

// The platform copy with either temporary file: the unnamed one, and the named one that file
// systems without unnamed files (FAT) get.
TEST(CopyFile, OnlyACompleteCopyEverTakesTheDestinationsPlace) {
    enum class End { Complete, Stopped, DiskFull };
    TempDir dir;
    const std::string content = pattern(1 << 20);
    for (const bool unnamed : {true, false}) {
        for (const bool destExists : {false, true}) {
            for (const End end : {End::Complete, End::Stopped, End::DiskFull}) {
                const std::string name = std::string(unnamed ? "unnamed" : "named") + (destExists ? "_over_old" : "") +
                                         (end == End::Complete ? "" : end == End::Stopped ? "_stopped" : "_full");
                SCOPED_TRACE(name);
                const std::string folder = dir / name;
                writeFile(folder + "/src", content);
                if (destExists) writeFile(folder + "/dest", "old");
                std::vector<std::string> duringCopy;
                const platform::CopyProgress progress = [&](std::int64_t) {
                    duringCopy = namesIn(folder);
                    return end != End::Stopped;
                };
                platform::CopyOptions options;
                options.unnamedTemporary = unnamed;
                std::optional<FileSizeLimit> limit;
                if (end == End::DiskFull) limit.emplace(64 << 10);
                const platform::CopyResult result =
                    platform::copyFile(folder + "/src", folder + "/dest", options, progress);
                limit.reset();

                EXPECT_EQ(result.status, end == End::Complete  ? platform::CopyStatus::Done
                                         : end == End::Stopped ? platform::CopyStatus::Stopped
                                                               : platform::CopyStatus::Failed);
                if (end == End::Complete) {
                    EXPECT_TRUE(test::readFile(folder + "/dest") == content);
                } else if (destExists) {
                    EXPECT_EQ(test::readFile(folder + "/dest"), "old");
                }
                const bool destLeft = destExists || end == End::Complete;
                const std::vector<std::string> left = destLeft ? std::vector<std::string>{"dest", "src"}
                                                               : std::vector<std::string>{"src"};
                EXPECT_EQ(namesIn(folder), left) << "no temporary file left";
                if (end != End::DiskFull) {
                    // While the copy runs, only the named kind shows up in the folder.
                    EXPECT_EQ(duringCopy.size(), (destExists ? 2u : 1u) + (unnamed ? 0u : 1u));
                }
            }
        }
    }
}

// Fraction of the file's pages in the page cache.
double cachedFraction(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const auto size = static_cast<std::size_t>(fs::file_size(path));
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return 1;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    ::mincore(map, size, resident.data());
    ::munmap(map, size);
    const auto cached = std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; });
    return static_cast<double>(cached) / static_cast<double>(resident.size());
}

TEST_F(CopierTest, BypassedCopyIsExactAndNotLeftInThePageCache) {
    constexpr std::int64_t kSize = 210763776;
    const std::string source = dir / "big";
    writeFile(source, "");
    fs::resize_file(source, kSize);
    // A mark on both sides of every chunk boundary, and at both ends.
    std::vector<std::int64_t> offsets{0, kSize - 8};
    for (std::int64_t at = kChunk; at < kSize; at += kChunk) offsets.push_back(at - 4);
    const auto mark = [](std::int64_t at) { return std::to_string(10000000 + at % 90000000); }; // 8 digits
    {
        std::fstream out(source, std::ios::in | std::ios::out | std::ios::binary);
        for (const std::int64_t at : offsets) out.seekp(at).write(mark(at).data(), 8);
    }
    test::setMtime(source, kSourceTime);

    ASSERT_TRUE(CopyFileExProgress(copier, source, dir / "copy"));
    EXPECT_EQ(copier.Flag(), COPY_FILE_NO_BUFFERING);
    struct statfs st {};
    constexpr long kTmpfsMagic = 0x01021994; // tmpfs pages live in the cache by definition
    if (::statfs(dir.path().c_str(), &st) == 0 && st.f_type != kTmpfsMagic) {
        EXPECT_LT(cachedFraction(dir / "copy"), 0.05);
    }
    EXPECT_EQ(fs::file_size(dir / "copy"), static_cast<std::uintmax_t>(kSize));
    EXPECT_EQ(test::mtimeOf(dir / "copy"), kSourceTime);
    std::ifstream in(dir / "copy", std::ios::binary);
    for (const std::int64_t at : offsets) {
        std::string read(8, '\0');
        in.seekg(at).read(read.data(), 8);
        EXPECT_EQ(read, mark(at)) << "at " << at;
    }
}

} // namespace
} // namespace tarvela
