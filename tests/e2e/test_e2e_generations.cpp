// What a medium can make a computer remember of the agreed states' generations, through
// tarvela-cli: a hand-made generation far above any seen is refused and the pair recovers by
// itself; a memory poisoned by an older version is ignored; clearing a profile forgets it all.
#include "base/messages.h"
#include "records/agreed_state.h"
#include "two_computers.h"

#include <cstdint>
#include <filesystem>
#include <limits>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

class E2EGenerations : public TwoComputersCli {
protected:
    std::string agreedFile() const { return agreedStateFile(pathTask(), 1); }
    std::string memoryFile() const { return xdg + "/tarvela/agreed-generations"; }

    // Work removes `name` and the pair runs one cycle work => home with removals on: home's copy
    // must go, with no line of an outdated or refused agreed state.
    void removalTravels(const std::string& name) {
        fs::remove(work + name);
        const ChildResult sent = half("work-home", "work");
        ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
        const ChildResult received = half("work-home", "home", {"--delete", "yes"});
        ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
        for (const ChildResult* r : {&sent, &received}) {
            EXPECT_EQ(r->out.find(msg::kAgreedStateOutdated), std::string::npos) << r->out;
            EXPECT_EQ(r->out.find(msg::kAgreedStateTooNew), std::string::npos) << r->out;
        }
        EXPECT_FALSE(fs::exists(home + name)) << received.out;
    }
};

TEST_F(E2EGenerations, AHandMadeGenerationFarAboveAnySeenIsRefusedAndThePairRecovers) {
    for (const char* name : {"a.txt", "b.txt"})
        writeFile(work + name, name);
    firstRun();
    AgreedState state = readAgreedState(agreedFile(), work, home);
    ASSERT_FALSE(state.records.empty());
    state.generation = std::numeric_limits<std::uint64_t>::max();
    writeAgreedState(agreedFile(), state);

    fs::remove(work + "a.txt");
    const ChildResult sent = half("work-home", "work");
    ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
    // Refused by the first half that reads it (the send, which then records what both tables
    // show alike under a sound generation).
    EXPECT_NE((sent.out + received.out).find(std::string(msg::kAgreedStateTooNew) + agreedFile()), std::string::npos)
        << sent.out << received.out;
    EXPECT_TRUE(fs::exists(home + "a.txt")) << "a refused agreed state removes nothing";
    EXPECT_LT(readAgreedState(agreedFile(), work, home).generation, std::uint64_t{1000})
        << "the receive wrote a sound generation in its place";

    // Home's a.txt travels back (nothing said it was removed), and from then on what the two
    // computers agree on again is removed on both when removed on one: a.txt, and a new file.
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_TRUE(fs::exists(work + "a.txt"));
    removalTravels("a.txt");
    writeFile(work + "d.txt", "d");
    halfDone("work-home", "work");
    halfDone("work-home", "home");
    removalTravels("d.txt");
}

TEST_F(E2EGenerations, APoisonedMemoryIsIgnoredAndClearingTheProfileForgetsItsGenerations) {
    for (const char* name : {"a.txt", "b.txt"})
        writeFile(work + name, name);
    firstRun();
    // What an older version remembered from a hand-made medium: the highest generation there is.
    std::string memory = readFile(memoryFile());
    const auto tab = memory.find("\tE2E00001|");
    ASSERT_NE(tab, std::string::npos) << memory;
    const auto lineStart = memory.rfind('\n', tab) == std::string::npos ? 0 : memory.rfind('\n', tab) + 1;
    memory.replace(lineStart, tab - lineStart, std::to_string(std::numeric_limits<std::uint64_t>::max()));
    writeFile(memoryFile(), memory);
    removalTravels("a.txt");

    const ChildResult cleared = cli({"profile", "clear", "#0"});
    ASSERT_EQ(cleared.exitCode, 0) << cleared.out << cleared.err;
    EXPECT_FALSE(fs::exists(pathTask()));
    EXPECT_EQ(readFile(memoryFile()).find("\tE2E00001|"), std::string::npos) << readFile(memoryFile());
}

} // namespace
} // namespace tarvela::test
