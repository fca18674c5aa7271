#pragma once
// Both computers on one machine, driven through the real tarvela-cli: a medium folder, a work
// folder and a home folder, one profile written with the engine's WriteProfiles, and the desktop
// trash in a folder of the test (XDG_DATA_HOME).

#include "child_process.h"
#include "records/profile.h"
#include "records/store_layout.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tarvela::test {

class TwoComputersCli : public ::testing::Test {
protected:
    TwoComputersCli();

    // Writes `task` as the only profile of the medium.
    void save();

    // tarvela-cli --medium MEDIUM args..., with `input` on stdin.
    ChildResult cli(const std::vector<std::string>& args, const std::string& input = {});
    // run #0 --role ROLE --direction DIRECTION, then the extra options.
    ChildResult half(const std::string& direction, const std::string& role, const std::vector<std::string>& extra = {},
                     const std::string& input = {});
    // The half, which must end with its end line (exit 0).
    void halfDone(const std::string& direction, const std::string& role, const std::vector<std::string>& extra = {});
    // The output of "state #0 --role ROLE".
    std::string state(const std::string& role);
    // The first run: the work computer sends everything, the home computer receives it.
    void firstRun();

    std::string pathTask() const { return transferStoreFolder(medium, task.Id.text()); }
    bool pending(Side sender) const;
    // Carried files in the sender's store folders (0 when there is no store root).
    std::size_t storedFiles(Side sender) const;

    // The names in a tree (treeOf) that are conflict copies of the file `stem` (its name without
    // the extension, with its folders).
    static std::vector<std::string> conflictCopies(const std::map<std::string, std::string>& tree,
                                                   const std::string& stem);
    // How often `what` stands in `text`.
    static std::size_t occurrences(const std::string& text, const std::string& what);
    // Every file below a folder (relative name -> content) and every folder (relative name + "/").
    static std::map<std::string, std::string> treeOf(const std::string& root);

    TempDir dir;
    std::string medium = dir / "medium/";
    std::string work = dir / "work/Документы/";
    std::string home = dir / "home/Документы/";
    std::string xdg = dir / "xdg";
    TProfilLine task;
    // Extra environment of the halves of each computer ("TZ=..." for two time zones).
    std::vector<std::string> workEnv;
    std::vector<std::string> homeEnv;
};

} // namespace tarvela::test
