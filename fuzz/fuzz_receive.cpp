// The comparison and the receiving half fed a hostile sender table: whatever the table says,
// nothing outside the pair folder is written, changed or removed, and the pair folder stays.
#include "copy/copier.h"
#include "base/errors.h"
#include "fuzz_target.h"
#include "fuzz_workspace.h"
#include "records/profile.h"
#include "sync/run_control.h"
#include "records/store_layout.h"
#include "records/table_file.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

// In the input, a path that begins with "/W/" means "below the sender's pair folder", so that the
// corpus does not depend on where the workspace lies.
constexpr std::string_view kSenderMark = "/W/";
const std::vector<std::string> kStoredNames = {"ABCDEFGHIJKL.txt", "X", "evil", "Папка"};

void write(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// Every entry below root except the folders that the half may change, with its content.
std::map<std::string, std::string> snapshot(const std::string& root, const std::vector<std::string>& mayChange) {
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = it->path().string();
        bool skip = false;
        for (const auto& m : mayChange) skip = skip || path + "/" == m || path.starts_with(m);
        if (skip) {
            if (it->is_directory() && !it->is_symlink()) it.disable_recursion_pending();
            continue;
        }
        std::string content;
        if (it->is_symlink()) {
            content = "link:" + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            std::ifstream in(path, std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), {});
        } else {
            content = "folder";
        }
        out[path] = content;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Workspace space;
    const std::string root = space.fresh("receive");
    const std::string medium = root + "medium/";
    const std::string work = root + "work/docs/";
    const std::string home = root + "home/docs/";
    write(home + "a.txt", "a");
    write(home + "sub/b.txt", "b");
    write(root + "outside/secret.txt", "secret");
    fs::create_symlink(root + "outside", home + "link");
    // A received file replaces this link; it never writes through it.
    fs::create_symlink(root + "outside/secret.txt", home + "secret-link");

    tarvela::TProfilLine task;
    task.Id = tarvela::ShortString<8>::fromText("FUZZID01");
    task.pair(1).PathWork = tarvela::ShortString<255>::fromText(work);
    task.pair(1).PathHome = tarvela::ShortString<255>::fromText(home);
    task.OperacDell = true;
    const std::string pathTask = tarvela::transferStoreFolder(medium, "FUZZID01");
    for (const auto& name : kStoredNames) write(tarvela::storeFolder(pathTask, tarvela::Side::Work, 1) + name, "new " + name);

    {
        tarvela::TableWriter table(tarvela::tableFile(pathTask, tarvela::Side::Work, 1));
        for (std::size_t at = 0; at + tarvela::TNameAtribFile::kSize <= size; at += tarvela::TNameAtribFile::kSize) {
            tarvela::TNameAtribFile r = tarvela::decodeTableRecord(tarvela::ConstBytes(data + at, tarvela::TNameAtribFile::kSize));
            const std::string& name = r.FName.bytes();
            if (name.starts_with(kSenderMark)) {
                r.FName = tarvela::ShortString<255>::fromText(work + tarvela::cp1251ToUtf8(name.substr(kSenderMark.size())));
            }
            table.append(r);
        }
        table.commit();
    }

    const auto before = snapshot(root, {home, medium});
    tarvela::QuietRunHost host;
    tarvela::TFileCopier copier;
    tarvela::SyncContext ctx{medium, {}, host, copier, {}};
    try {
        tarvela::RunHalf(ctx, task, tarvela::Direction::WorkHome, tarvela::Role::Home);
    } catch (const tarvela::FileError&) {
        // A failure of the medium's files is an answer too; the invariants below still hold.
    }
    FUZZ_CHECK(snapshot(root, {home, medium}) == before);
    FUZZ_CHECK(fs::is_directory(home));
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    auto record = [](std::uint8_t nature, const std::string& path, const std::string& store, double time = 45000.5) {
        tarvela::TNameAtribFile r;
        r.Nature = nature;
        r.FName = tarvela::ShortString<255>::fromText(path);
        r.FDataTime = time;
        r.SizeFile = nature == 1 ? 4 : 0;
        r.FNameTmp = tarvela::ShortString<25>::fromText(store);
        std::string bytes(tarvela::TNameAtribFile::kSize, '\0');
        tarvela::encodeTableRecord(r, tarvela::MutableBytes(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()));
        return bytes;
    };
    return {
        record(0, "/W/..", "AAAAAAAAAAAA.") + record(1, "/W/a.txt", "ABCDEFGHIJKL.txt", 46000) +
            record(1, "/W/new/c.txt", "X"),
        record(1, "/W/../escape", "X") + record(1, "/W/link/inside.txt", "evil") + record(1, "/W/ok", "../../x") +
            record(0, "/W/link/..", "A.") + record(1, "/W/secret-link", "X", 47000) + record(1, "/etc/passwd", "X"),
        record(0, "/W/sub/..", "B.") + record(1, "/W/Папка/файл", "Папка") + record(3, "/W/weird", "X"),
        "",
    };
}
