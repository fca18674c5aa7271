#pragma once
// Both computers on one machine for the engine's tests: a medium folder, a work folder and a home
// folder, one profile, and the halves run through the run frame with a recording host.

#include "copy/copier.h"
#include "recording_host.h"
#include "sync/run_control.h"
#include "records/store_layout.h"
#include "records/store_list.h"
#include "records/table_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace tarvela::test {

namespace fs = std::filesystem;

// Every regular file below a folder, relative name -> content.
inline std::map<std::string, std::string> contentsOf(const std::string& root) {
    std::map<std::string, std::string> out;
    if (!fs::exists(fsPath(root)))
        return out;
    for (const auto& e : fs::recursive_directory_iterator(fsPath(root))) {
        if (e.is_regular_file() && !e.is_symlink())
            out[utf8Of(fs::relative(e.path(), fsPath(root)))] = readFile(utf8Of(e.path()));
    }
    return out;
}

inline std::set<std::string> everythingBelow(const std::string& root) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(fsPath(root)))
        out.insert(utf8Of(e.path()));
    return out;
}

class TwoComputers : public ::testing::Test {
protected:
    void SetUp() override {
        makeFolders(work);
        makeFolders(home);
        makeFolders(medium);
        setEnvironment("XDG_DATA_HOME", dir / "xdg");
        task.NameConf = ShortString<255>::fromText("Документы");
        task.Id = ShortString<8>::fromText("TESTID01");
        task.pair(1).PathWork = ShortString<255>::fromText(work);
        task.pair(1).PathHome = ShortString<255>::fromText(home);
        task.OperacDell = true;
        copier.SetProgressBar(&host);
        copier.WriteMemoResult(&host);
    }

    HalfResult run(Direction d, Role r) { return RunHalf(ctx, task, d, r); }

    // The first run of the pair: the work computer stores everything, the home computer takes it.
    void firstRun() {
        host.fullCopyAnswers.push_back({FullCopyResult::CopyAll, true});
        ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
        ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    }

    std::string pathTask() const { return transferStoreFolder(medium, "TESTID01"); }
    std::string storeFolder1(Side sender) const { return storeFolder(pathTask(), sender, 1); }

    std::vector<std::string> redLines() const {
        std::vector<std::string> out;
        for (const auto& l : host.lines) {
            if (l.color == 0x0000FF) out.push_back(l.text);
        }
        return out;
    }

    TempDir dir;
    std::string medium = dir / "medium/";
    std::string work = dir / "work/docs/";
    std::string home = dir / "home/docs/";
    TProfilLine task;
    RecordingHost host;
    TFileCopier copier;
    SyncContext ctx{medium, {}, host, copier, {}};
};

// A hand-made table of the work computer for pair 1, with a store folder holding `stored`.
// The work computer's table of pair 1 with `records` (paths below `senderFolder`), the payloads of
// the store names `stored` in its store, and the store's list naming them.
inline void writeSenderTable(const std::string& pathTask, const std::vector<TNameAtribFile>& records,
                             const std::vector<std::string>& stored, const std::string& senderFolder) {
    makeFolders(storeFolder(pathTask, Side::Work, 1));
    TableWriter writer(tableFile(pathTask, Side::Work, 1));
    for (const auto& r : records) writer.append(r);
    writer.commit();
    StoreList list;
    for (const auto& name : stored) writeFile(storeFolder(pathTask, Side::Work, 1) + name, "payload " + name);
    for (const auto& r : records) {
        const std::string path = r.FName.text();
        if (r.Nature == 1 && path.starts_with(senderFolder) &&
            std::find(stored.begin(), stored.end(), r.FNameTmp.text()) != stored.end())
            list.add({path.substr(senderFolder.size()), r.SizeFile, r.FDataTime, r.FNameTmp.text(), std::nullopt});
    }
    writeStoreList(storeListFile(storeRoot(pathTask, Side::Work), 1), list);
}

inline TNameAtribFile record(const std::string& path, const std::string& storeName, std::uint8_t nature = 1) {
    TNameAtribFile r;
    r.Nature = nature;
    r.FName = ShortString<255>::fromText(path);
    r.FDataTime = 45000.5;
    r.SizeFile = nature == 1 ? static_cast<std::int64_t>(std::string("payload ").size() + storeName.size()) : 0;
    r.FNameTmp = ShortString<25>::fromText(storeName);
    return r;
}


} // namespace tarvela::test
