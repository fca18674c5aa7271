// A drive that fails quietly: a stored copy whose content changed on the medium (a flipped byte, same
// size) is never put in place; it is reported, stays due and arrives whole with the next send. A
// store written before checksums still applies.
#include "platform/atomic_file.h"
#include "records/byte_stream.h"
#include "records/store_list.h"
#include "two_computers.h"

#include <filesystem>
#include <fstream>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

const std::string kDamaged = "Копия в хранилище повреждена (контрольная сумма не совпадает), файл не скопирован: ";

// The only stored copy of the work computer's store folder 1.
std::string onlyStoredCopy(const std::string& pathTask) {
    std::string stored;
    for (const auto& e : fs::directory_iterator(storeFolder(pathTask, Side::Work, 1)))
        stored = e.path().string();
    return stored;
}

void flipByte(const std::string& path, std::streamoff at) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(at);
    char c = 0;
    f.get(c);
    f.seekp(at);
    f.put(static_cast<char>(c ^ 0x10));
}

// Rewrites the store list as a version without checksums wrote it (list version 1).
void rewriteListWithoutChecksums(const std::string& path) {
    const auto list = readStoreList(path);
    ASSERT_TRUE(list.has_value());
    ByteWriter w;
    w.raw("TarvelaS");
    w.u32(1);
    w.u32(static_cast<std::uint32_t>(list->files().size()));
    for (const StoredFile& f : list->files()) {
        w.i64(f.size);
        w.f64(f.time);
        w.text16(f.name);
        w.text16(f.storeName);
    }
    std::vector<unsigned char> bytes = w.bytes();
    appendChecksum(bytes);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

class E2EChecksums : public TwoComputersCli {
protected:
    // A copy stored by the compare pass of a later send, or by the full copy of the first, gets a
    // flipped byte on the medium: the receive reports it and leaves the destination as it was, and
    // the file arrives whole after the next send.
    void flippedByteCase(bool fullCopy) {
        const std::string content(3 << 20, 'x'); // more than one buffer of the copy
        if (fullCopy) {
            writeFile(work + "a.txt", content);
            halfDone("work-home", "work", {"--full-copy", "all"});
        } else {
            writeFile(work + "a.txt", "version 1");
            firstRun();
            writeFile(work + "a.txt", content);
            setMtime(work + "a.txt", {2000000000, 0});
            halfDone("work-home", "work");
        }
        ASSERT_EQ(storedFiles(Side::Work), 1u);
        flipByte(onlyStoredCopy(pathTask()), (2 << 20) + 5); // a damaged block; the size is the same

        const ChildResult r = half("work-home", "home");
        EXPECT_EQ(occurrences(r.out, kDamaged + home + "a.txt"), 1u) << r.out;
        const auto before = fullCopy ? std::map<std::string, std::string>{}
                                     : std::map<std::string, std::string>{{"a.txt", "version 1"}};
        EXPECT_EQ(treeOf(home), before) << "the destination stays untouched, no temporary left behind";

        halfDone("work-home", "work");
        const ChildResult again = half("work-home", "home");
        EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
        EXPECT_EQ(again.out.find(kDamaged), std::string::npos) << again.out;
        EXPECT_EQ(readFile(home + "a.txt"), content);
    }
};

TEST_F(E2EChecksums, AFlippedByteInACopyStoredByTheComparePassIsNotInstalledAndTravelsAgain) {
    flippedByteCase(false);
}

TEST_F(E2EChecksums, AFlippedByteInACopyStoredByAFullCopyIsNotInstalledAndTravelsAgain) {
    flippedByteCase(true);
}

// Both computers changed the file: this computer's version is set aside only for a sound incoming
// copy. A damaged one leaves it under its own name, untouched, and no conflict copy appears; the
// next send brings the file whole and the conflict is kept then.
TEST_F(E2EChecksums, ADamagedCopyInAConflictLeavesThisComputersVersionInPlace) {
    writeFile(work + "x.txt", "original");
    firstRun();
    const std::string worksEdit(3 << 20, 'w');
    writeFile(home + "x.txt", "home's edit");
    setMtime(home + "x.txt", {2000000000, 0});
    writeFile(work + "x.txt", worksEdit);
    setMtime(work + "x.txt", {2000000100, 0});
    halfDone("work-home", "work");
    flipByte(onlyStoredCopy(pathTask()), (2 << 20) + 5);

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(occurrences(r.out, kDamaged + home + "x.txt"), 1u) << r.out;
    EXPECT_EQ(r.out.find("Конфликт: "), std::string::npos) << r.out;
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{{"x.txt", "home's edit"}}));

    halfDone("work-home", "work");
    const ChildResult again = half("work-home", "home");
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(occurrences(again.out, "Конфликт: "), 1u) << again.out;
    const auto tree = treeOf(home);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree.at("x.txt"), worksEdit);
    for (const auto& [name, content] : tree) {
        if (name != "x.txt") {
            EXPECT_TRUE(name.starts_with("x (конфликт ")) << name;
            EXPECT_EQ(content, "home's edit");
        }
    }
}

TEST_F(E2EChecksums, AStoreWrittenWithoutChecksumsStillApplies) {
    writeFile(work + "a.txt", "version 1");
    writeFile(work + "b.txt", "b");
    firstRun();
    writeFile(work + "a.txt", "version 2, longer");
    setMtime(work + "a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    rewriteListWithoutChecksums(storeListFile(storeRoot(pathTask(), Side::Work), 1));

    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{{"a.txt", "version 2, longer"}, {"b.txt", "b"}}));
}

} // namespace
} // namespace tarvela::test
