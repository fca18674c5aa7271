// A receive tells a name its store does not carry (changed after the send, or never stored) from a
// stored copy that went missing, through tarvela-cli: the first waits quietly for a later send, in
// whatever order the halves ran; only the second is a failure.
#include "base/messages.h"
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2ENotCarried = TwoComputersCli;

void expectNoFailure(const ChildResult& r) {
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find(msg::kFileMissing.data()), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(msg::kStoredCopyMissing.data()), std::string::npos) << r.out;
}

// Both computers send; home keeps working and receives; then work receives home's batch, whose
// table home's receive rewrote with files made after home's send and a conflict copy.
TEST_F(E2ENotCarried, FilesMadeAfterTheSendWaitForTheNext) {
    writeFile(work + "x.txt", "x");
    firstRun();
    writeFile(work + "x.txt", "x at work");
    setMtime(work + "x.txt", {2000000000, 0});
    halfDone("work-home", "work");
    writeFile(home + "sent.txt", "sent from home");
    writeFile(home + "x.txt", "x at home");
    setMtime(home + "x.txt", {2000000100, 0});
    halfDone("home-work", "home");
    writeFile(home + "later.txt", "made after home's send");
    halfDone("work-home", "home"); // a conflict copy of x.txt, and a new table

    const ChildResult r = half("home-work", "work");
    expectNoFailure(r);
    EXPECT_NE(r.out.find(std::string(msg::kNotCarriedByStore) + "2"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(work + "sent.txt"), "sent from home");
    EXPECT_FALSE(fs::exists(work + "later.txt"));

    // The next trips carry the rest; both end alike.
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    halfDone("work-home", "work");
    if (pending(Side::Work))
        halfDone("work-home", "home");
    EXPECT_EQ(readFile(work + "later.txt"), "made after home's send");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// Deletion off: a file work removed after home's send is due back from home, not missing from the
// store; the next send from home brings it.
TEST_F(E2ENotCarried, AFileRemovedAfterTheSendComesBackWithTheNextWhenDeletionIsOff) {
    task.OperacDell = false;
    save();
    writeFile(work + "f.txt", "f");
    writeFile(work + "g.txt", "g");
    firstRun();
    writeFile(home + "g.txt", "g at home");
    setMtime(home + "g.txt", {2000000000, 0});
    halfDone("home-work", "home");
    fs::remove(work + "f.txt");
    const ChildResult r = half("home-work", "work");
    expectNoFailure(r);
    EXPECT_EQ(readFile(work + "g.txt"), "g at home");
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "f.txt"), "f");
}

} // namespace
} // namespace tarvela::test
