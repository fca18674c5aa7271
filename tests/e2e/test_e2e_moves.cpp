// Renamed and moved files and folders through tarvela-cli: a move travels as a move (nothing of its
// bytes in the store), the receive renames its own copy, and never counts it as a removal. A move
// the receive cannot make leaves the old item, costs one more trip and loses nothing.
#include "base/messages.h"
#include "two_computers.h"

#include <filesystem>
#include <functional>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

class E2EMoves : public TwoComputersCli {
protected:
    // A send and, when it left something to receive, its receive.
    void trip(const std::string& direction) {
        const bool fromWork = direction == "work-home";
        halfDone(direction, fromWork ? "work" : "home");
        if (pending(fromWork ? Side::Work : Side::Home))
            halfDone(direction, fromWork ? "home" : "work");
    }
};

const std::string kSent(msg::kMoveSent);
const std::string kMoved(msg::kMoved);
const std::string kNotMade(msg::kMoveNotMade);
const std::string kAdded(msg::kFileAdded);

std::string contentOf(int i) {
    return "photo " + std::to_string(i) + std::string(static_cast<std::size_t>(100 + i), static_cast<char>('a' + i % 26));
}

// A renamed folder of 60 files (the whole pair, which as removals would trip the mass-removal
// guard) travels as one move and arrives as one rename, in both directions after it.
TEST_F(E2EMoves, ARenamedFolderTravelsAsOneMoveAndIsNoMassRemoval) {
    for (int i = 0; i < 60; ++i)
        writeFile(work + "Фото 2025/img" + std::to_string(i) + ".jpg", contentOf(i));
    writeFile(work + "Фото 2025/RAW/r.cr2", "raw");
    makeFolders(work + "Фото 2025/пустая");
    firstRun();

    fs::create_directories(work + "Фото");
    fs::rename(work + "Фото 2025", work + "Фото/2025");
    const ChildResult sent = half("work-home", "work");
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_EQ(occurrences(sent.out, kSent), 1u) << sent.out;
    EXPECT_NE(sent.out.find(kSent + work + "Фото 2025" + std::string(msg::kMoveArrow) + work + "Фото/2025"),
              std::string::npos)
        << sent.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u);
    // The moved names say only their move: no line of their own, none about copying.
    EXPECT_EQ(sent.out.find(kAdded + work + "Фото/2025"), std::string::npos) << sent.out;
    EXPECT_EQ(sent.out.find(std::string(msg::kCopyingFilesFrom)), std::string::npos) << sent.out;

    const ChildResult got = half("work-home", "home");
    EXPECT_EQ(got.exitCode, 0) << got.out << got.err;
    EXPECT_EQ(occurrences(got.out, kMoved), 1u) << got.out;
    EXPECT_EQ(got.out.find(kAdded + work + "Фото/2025"), std::string::npos) << got.out;
    EXPECT_EQ(got.out.find(std::string(msg::kCopyingFilesTo)), std::string::npos) << got.out;
    EXPECT_NE(got.out.find(kMoved + home + "Фото 2025" + std::string(msg::kMoveArrow) + home + "Фото/2025"),
              std::string::npos)
        << got.out;
    EXPECT_NE(got.out.find(std::string(msg::kMovesCounted) + "1\n"), std::string::npos) << got.out;
    EXPECT_EQ(got.out.find(std::string(msg::kMassRemovalSkipped)), std::string::npos) << got.out;
    EXPECT_EQ(got.out.find(std::string(msg::kNotCarriedByStore)), std::string::npos) << got.out;
    EXPECT_FALSE(fs::exists(home + "Фото 2025"));
    EXPECT_EQ(treeOf(work), treeOf(home));

    // Agreed under the new names: nothing more travels either way.
    halfDone("home-work", "home");
    EXPECT_FALSE(pending(Side::Home));
    const ChildResult again = half("work-home", "work");
    EXPECT_EQ(again.exitCode, 0) << again.out;
    EXPECT_FALSE(pending(Side::Work));
    EXPECT_EQ(again.out.find(kSent), std::string::npos) << again.out;
    EXPECT_EQ(treeOf(work), treeOf(home));

    // And the folder moves back the other way.
    fs::rename(home + "Фото/2025", home + "Фото 2025");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u);
    const ChildResult back = half("home-work", "work");
    EXPECT_EQ(back.exitCode, 0) << back.out;
    EXPECT_EQ(occurrences(back.out, kMoved), 1u) << back.out;
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// Single files renamed, moved to another folder, or both: each a move of its own, in one line.
TEST_F(E2EMoves, MovedFilesTravelAsMoves) {
    writeFile(work + "docs/report.pdf", std::string(100000, 'r'));
    writeFile(work + "docs/notes.txt", "notes");
    writeFile(work + "a.txt", "a");
    firstRun();

    fs::create_directories(work + "archive/2025");
    fs::rename(work + "docs/report.pdf", work + "archive/2025/отчёт.pdf");
    fs::rename(work + "a.txt", work + "docs/a.txt");
    const ChildResult sent = half("work-home", "work");
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    EXPECT_EQ(occurrences(sent.out, kSent), 2u) << sent.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u);
    const ChildResult got = half("work-home", "home");
    EXPECT_EQ(got.exitCode, 0) << got.out;
    EXPECT_EQ(occurrences(got.out, kMoved), 2u) << got.out;
    for (const ChildResult* out : {&sent, &got}) {
        for (const char* name : {"archive/2025/отчёт.pdf", "docs/a.txt"})
            EXPECT_EQ(out->out.find(kAdded + work + name), std::string::npos) << name << "\n" << out->out;
    }
    EXPECT_NE(got.out.find(std::string(msg::kMovesCounted) + "2\n"), std::string::npos) << got.out;
    EXPECT_EQ(readFile(home + "archive/2025/отчёт.pdf"), std::string(100000, 'r'));
    EXPECT_EQ(readFile(home + "docs/a.txt"), "a");
    EXPECT_FALSE(fs::exists(home + "docs/report.pdf"));
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// A move the receive cannot make: the old item stays where it is, one line says so, and the next
// send carries the new name's bytes; nothing is lost and both computers end alike.
TEST_F(E2EMoves, AMoveThatCannotBeMadeCostsOneMoreTripAndLosesNothing) {
    struct Case {
        const char* what;
        std::function<void(const std::string& home)> atHome; // before the receive of the move
        bool oldStaysAtFirst;                   // the old file is still at home after that receive
    };
    const Case cases[] = {
        {"old file gone here", [](const std::string& h) { fs::remove(h + "old/f.txt"); }, false},
        {"content differs under the agreed size and time",
         [](const std::string& h) {
             const auto time = fs::last_write_time(h + "old/f.txt");
             writeFile(h + "old/f.txt", "THE CONTENT OF F");
             fs::last_write_time(h + "old/f.txt", time);
         },
         true},
        {"new name taken", [](const std::string& h) { writeFile(h + "new/f.txt", "made at home"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& folder : {work, home, medium}) {
            fs::remove_all(folder);
            makeFolders(folder);
        }
        save();
        writeFile(work + "old/f.txt", "the content of f");
        writeFile(work + "old/g.txt", "g");
        firstRun();
        fs::create_directories(work + "new");
        fs::rename(work + "old/f.txt", work + "new/f.txt");
        halfDone("work-home", "work");
        EXPECT_EQ(storedFiles(Side::Work), 0u);
        c.atHome(home);

        const ChildResult got = half("work-home", "home");
        EXPECT_EQ(got.exitCode, 0) << got.out << got.err;
        EXPECT_EQ(occurrences(got.out, kNotMade), 1u) << got.out;
        EXPECT_NE(got.out.find(kNotMade + home + "old/f.txt"), std::string::npos) << got.out;
        EXPECT_EQ(got.out.find(kMoved), std::string::npos) << got.out;
        EXPECT_EQ(fs::exists(home + "old/f.txt"), c.oldStaysAtFirst);

        // One more trip carries the bytes (no move this time), and one back evens out the rest.
        const ChildResult resent = half("work-home", "work");
        EXPECT_EQ(resent.out.find(kSent), std::string::npos) << resent.out;
        EXPECT_EQ(storedFiles(Side::Work), 1u);
        halfDone("work-home", "home");
        trip("home-work");
        EXPECT_EQ(readFile(work + "new/f.txt"), "the content of f");
        EXPECT_EQ(readFile(home + "new/f.txt"), "the content of f");
        EXPECT_FALSE(fs::exists(work + "old/f.txt"));
        EXPECT_EQ(treeOf(work), treeOf(home));
        if (std::string(c.what) == "new name taken") {
            EXPECT_EQ(conflictCopies(treeOf(home), "new/f").size(), 1u);
        }
    }
}

// A move there and an edit here of the same file: the edit keeps its content, the name follows the
// move, and the edit travels back under the new name.
TEST_F(E2EMoves, AnEditHereFollowsAMoveThere) {
    writeFile(work + "old/f.txt", "version 1");
    firstRun();
    fs::create_directories(work + "new");
    fs::rename(work + "old/f.txt", work + "new/f.txt");
    halfDone("work-home", "work");
    writeFile(home + "old/f.txt", "version 2, edited at home");
    setMtime(home + "old/f.txt", {2000000000, 0});

    const ChildResult got = half("work-home", "home");
    EXPECT_EQ(got.exitCode, 0) << got.out;
    EXPECT_EQ(occurrences(got.out, kMoved), 1u) << got.out;
    EXPECT_EQ(readFile(home + "new/f.txt"), "version 2, edited at home");
    EXPECT_FALSE(fs::exists(home + "old/f.txt"));

    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u);
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "new/f.txt"), "version 2, edited at home");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// Moved and edited there, edited here: no move (the content is not the agreed one), both versions
// kept.
TEST_F(E2EMoves, AMoveWithAnEditThereTravelsAsBytesAndKeepsBothVersions) {
    writeFile(work + "old/f.txt", "version 1");
    firstRun();
    fs::create_directories(work + "new");
    fs::rename(work + "old/f.txt", work + "new/f.txt");
    writeFile(work + "new/f.txt", "version 2 at work");
    setMtime(work + "new/f.txt", {2000000000, 0});
    writeFile(home + "old/f.txt", "version 2 at home");
    setMtime(home + "old/f.txt", {2000000100, 0});
    const ChildResult sent = half("work-home", "work");
    EXPECT_EQ(sent.out.find(kSent), std::string::npos) << sent.out;
    halfDone("work-home", "home");
    trip("home-work");
    EXPECT_EQ(readFile(home + "new/f.txt"), "version 2 at work");
    EXPECT_EQ(readFile(work + "old/f.txt"), "version 2 at home");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// The dry runs of both halves list the moves and count them, and list a new file beside them, but
// not the moved names as added; the real runs that follow make them, copying only the new file.
TEST_F(E2EMoves, DryRunsListTheMoves) {
    for (int i = 0; i < 8; ++i)
        writeFile(work + "A/" + std::to_string(i) + ".txt", contentOf(i));
    firstRun();
    fs::rename(work + "A", work + "B");
    writeFile(work + "new.txt", "new");
    const ChildResult planSend = half("work-home", "work", {"--dry-run"});
    EXPECT_EQ(planSend.exitCode, 0) << planSend.out;
    EXPECT_EQ(occurrences(planSend.out, kSent), 1u) << planSend.out;
    EXPECT_NE(planSend.out.find(std::string(msg::kPlanSummaryMoves) + "1"), std::string::npos) << planSend.out;
    EXPECT_FALSE(pending(Side::Work));
    const ChildResult sent = half("work-home", "work");
    EXPECT_EQ(sent.exitCode, 0) << sent.out;
    const ChildResult planReceive = half("work-home", "home", {"--dry-run"});
    EXPECT_EQ(planReceive.exitCode, 0) << planReceive.out;
    EXPECT_EQ(occurrences(planReceive.out, kMoved), 1u) << planReceive.out;
    EXPECT_NE(planReceive.out.find(std::string(msg::kPlanSummaryMoves) + "1"), std::string::npos) << planReceive.out;
    EXPECT_TRUE(fs::exists(home + "A/0.txt"));
    const ChildResult got = half("work-home", "home");
    EXPECT_EQ(got.exitCode, 0) << got.out;
    for (const ChildResult* out : {&planSend, &sent, &planReceive, &got}) {
        EXPECT_EQ(occurrences(out->out, kAdded), 1u) << out->out;
        EXPECT_NE(out->out.find(kAdded + work + "new.txt"), std::string::npos) << out->out;
    }
    EXPECT_NE(sent.out.find(std::string(msg::kCopyingFilesFrom)), std::string::npos) << sent.out;
    EXPECT_NE(got.out.find(std::string(msg::kCopyingFilesTo)), std::string::npos) << got.out;
    EXPECT_EQ(readFile(home + "new.txt"), "new");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// Files that were alike from the start (agreed without a checksum) get one with the next send, so
// that a move after it is recognised.
TEST_F(E2EMoves, FilesAgreedWithoutAChecksumGetOneAndTheirMoveIsRecognised) {
    // Alike on both, and each computer's table lists it before the other's send: agreed by size and
    // time alone, without a checksum.
    writeFile(work + "w.txt", "w");
    firstRun();
    writeFile(work + "f.txt", "same on both");
    writeFile(home + "f.txt", "same on both");
    setMtime(work + "f.txt", {1900000000, 0});
    setMtime(home + "f.txt", {1900000000, 0});
    halfDone("work-home", "work");
    halfDone("home-work", "home");
    halfDone("work-home", "home");
    if (pending(Side::Home))
        halfDone("home-work", "work");
    trip("work-home"); // gives f.txt its checksum
    fs::rename(work + "f.txt", work + "g.txt");
    const ChildResult sent = half("work-home", "work");
    EXPECT_EQ(occurrences(sent.out, kSent), 1u) << sent.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u);
    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + "g.txt"), "same on both");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

} // namespace
} // namespace tarvela::test
