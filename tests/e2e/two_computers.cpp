#include "two_computers.h"

#include "records/profile_file.h"

#include <filesystem>

namespace tarvela::test {

namespace fs = std::filesystem;

TwoComputersCli::TwoComputersCli() {
    makeFolders(medium);
    makeFolders(work);
    makeFolders(home);
    makeFolders(xdg);
    task.NameConf = ShortString<255>::fromText("Документы");
    task.Id = ShortString<8>::fromText("E2E00001");
    task.PC = ShortString<4>::fromText("work");
    task.IdPC = ShortString<25>::fromText("ANOTHER-PC");
    task.pair(1).PathWork = ShortString<255>::fromText(work);
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    task.OperacDell = true;
    save();
}

void TwoComputersCli::save() {
    WriteProfiles(medium, {task});
}

ChildResult TwoComputersCli::cli(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> argv = {TARVELA_CLI_PATH, "--medium", medium};
    argv.insert(argv.end(), args.begin(), args.end());
    return runChild(argv, input, {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
}

ChildResult TwoComputersCli::half(const std::string& direction, const std::string& role,
                                  const std::vector<std::string>& extra, const std::string& input) {
    std::vector<std::string> args = {"run", "#0", "--role", role, "--direction", direction};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<std::string> argv = {TARVELA_CLI_PATH, "--medium", medium};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"XDG_DATA_HOME=" + xdg, "NO_COLOR"};
    const auto& own = role == "work" ? workEnv : homeEnv;
    env.insert(env.end(), own.begin(), own.end());
    return runChild(argv, input, env);
}

void TwoComputersCli::halfDone(const std::string& direction, const std::string& role,
                               const std::vector<std::string>& extra) {
    const ChildResult r = half(direction, role, extra);
    ASSERT_EQ(r.exitCode, 0) << direction << " on " << role << "\n" << r.out << r.err;
    ASSERT_NE(r.out.find("]  Конец операции: "), std::string::npos) << r.out;
}

std::string TwoComputersCli::state(const std::string& role) {
    const ChildResult r = cli({"state", "#0", "--role", role});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

void TwoComputersCli::firstRun() {
    halfDone("work-home", "work", {"--full-copy", "all"});
    halfDone("work-home", "home");
}

std::vector<std::string> TwoComputersCli::conflictCopies(const std::map<std::string, std::string>& tree,
                                                         const std::string& stem) {
    std::vector<std::string> out;
    for (const auto& [name, content] : tree) {
        if (name.starts_with(stem + " (конфликт "))
            out.push_back(name);
    }
    return out;
}

bool TwoComputersCli::pending(Side sender) const {
    return fs::is_directory(storeRoot(pathTask(), sender));
}

std::size_t TwoComputersCli::storedFiles(Side sender) const {
    if (!pending(sender))
        return 0;
    std::size_t n = 0;
    // Carried files lie in the store folders; the store root itself holds only their lists.
    for (const auto& e : fs::recursive_directory_iterator(storeRoot(pathTask(), sender)))
        n += e.is_regular_file() && e.path().parent_path().filename().string().starts_with("Folder_");
    return n;
}

std::size_t TwoComputersCli::occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::map<std::string, std::string> TwoComputersCli::treeOf(const std::string& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            out[name + "/"] = "";
        } else {
            out[name] = readFile(e.path());
        }
    }
    return out;
}

} // namespace tarvela::test
