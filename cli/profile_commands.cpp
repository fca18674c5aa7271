#include "profile_commands.h"

#include "base/errors.h"
#include "base/messages.h"
#include "copy/disk_tools.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "profile_choice.h"
#include "profile_help_text.h"
#include "profile_loading.h"
#include "profile_options.h"
#include "profile_view.h"
#include "program_path.h"
#include "records/cp1251.h"
#include "records/profile_file.h"
#include "records/profile_rules.h"
#include "records/store_layout.h"
#include "sync/agreed_generations.h"
#include "sync/profile_lock.h"
#include "terminal_host.h"

#include <tuple>

namespace tarvela::cli {
namespace {

constexpr std::string_view kTool = "tarvela-cli: ";

int usage(std::ostream& err, const std::string& message, ProfileAction action = ProfileAction::None) {
    const std::string command =
        action == ProfileAction::None ? "profile" : std::string("profile ") + profileActionWord(action);
    err << kTool << message << "\nTry 'tarvela-cli " << command << " --help'.\n";
    return kExitUsage;
}

std::string folderProblemText(FolderTextProblem problem) {
    switch (problem) {
    case FolderTextProblem::NotAbsolute:
        return "is not an absolute folder path";
    case FolderTextProblem::ControlCharacter:
        return "holds a control character";
    case FolderTextProblem::NotInCodePage:
        return "holds a character that the profile file (Windows-1251) cannot store";
    case FolderTextProblem::TooLong:
        return "is longer than the 255 bytes a profile folder holds (with its trailing '/')";
    case FolderTextProblem::None:
        break;
    }
    return {};
}

// Text the user typed for a field of 255 bytes: control characters would break the list's lines,
// and a longer text would be cut without a word.
std::string textFieldProblem(const std::string& what, const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return what + " holds a control character";
    }
    if (utf8ToCp1251(text).size() > ShortString<255>::kCapacity)
        return what + " is longer than 255 bytes in Windows-1251";
    return {};
}

class ProfileCommands {
public:
    ProfileCommands(const ProfileOptions& o, CliEnvironment& env, std::string programPath)
        : o_(o), env_(env), programPath_(std::move(programPath)) {}

    int usage(std::ostream& err, const std::string& message) const { return cli::usage(err, message, o_.action); }

    int add() {
        TProfilLine p;
        // The editor's defaults for a new profile: ask before each removal, the work role.
        p.DellConfirmat = true;
        p.NameConf = ShortString<255>::fromText(o_.profile);
        if (const std::string error = applyChanges(p, &o_.profile); !error.empty())
            return usage(env_.err, error);
        if (const int status = checkInput(p); status != kExitDone)
            return status;
        // The file exists from here on, so that the lock has something to hold.
        ensureProfileFileWritable(programPath_);
        const auto fileLock = lockProfileFile();
        ProfilArray profiles = loadProfilesSaying(programPath_, env_.err);
        p.Id = ShortString<8>::fromText(freshId(profiles));
        if (const int status = save(profiles, p, o_.role.value_or(Role::Work), profiles.size()); status != kExitDone)
            return status;
        warnAboutSameName(profiles, profiles.size() - 1);
        env_.out << p.Id.text() << '\n';
        return kExitDone;
    }

    int show() {
        ProfilArray profiles;
        const auto index = choose(profiles);
        if (!index)
            return kExitUsage;
        const TProfilLine& p = profiles[*index];
        env_.out << (o_.json ? profileJson(p, *index) : profileText(p, *index));
        return kExitDone;
    }

    int set() {
        if (!o_.name && o_.pairs.empty() && !o_.exclude && !o_.role && !o_.deleteOption && !o_.trash && !o_.confirm &&
            !o_.log)
            return usage(env_.err, "profile set needs something to change");
        const auto fileLock = lockProfileFile();
        ProfilArray profiles;
        const auto index = choose(profiles);
        if (!index)
            return kExitUsage;
        TProfilLine p = profiles[*index];
        // As in the editor: an Id that cannot name a store folder of its own (empty, hand-made with
        // a separator or "..") is replaced, so the save repairs the profile.
        if (!isPlainStoreName(p.Id.text()))
            p.Id = ShortString<8>::fromText(freshId(profiles));
        if (o_.name)
            p.NameConf = ShortString<255>::fromText(*o_.name);
        if (const std::string error = applyChanges(p, o_.name ? &*o_.name : nullptr); !error.empty())
            return usage(env_.err, error);
        const RoleChoice role = chooseRole(o_.role, profiles[*index], env_.pcIdent);
        if (!role.error.empty())
            return usage(env_.err, role.error);
        const ProfileChangeLock lock = lockProfileForChange(programPath_, p.Id.text());
        if (lock.busy)
            return busy();
        const int status = save(profiles, p, role.role, *index);
        if (status == kExitDone && o_.name)
            warnAboutSameName(profiles, *index);
        return status;
    }

    int remove() {
        const auto fileLock = lockProfileFile();
        ProfilArray profiles;
        const auto index = choose(profiles);
        if (!index)
            return kExitUsage;
        const std::string id = profiles[*index].Id.text();
        const ProfileChangeLock lock = lockProfileForChange(programPath_, id);
        if (lock.busy)
            return busy();
        // The record goes first, in one atomic rewrite: when the file cannot be written nothing has
        // changed, the store included.
        ensureProfileFileWritable(programPath_);
        profiles.erase(profiles.begin() + static_cast<std::ptrdiff_t>(*index));
        WriteProfiles(programPath_, profiles);
        if (o_.keepStore)
            return kExitDone;
        if (!isPlainStoreName(id)) {
            env_.err << kTool << "the profile's Id '" << id
                     << "' names no store folder of its own; nothing else removed\n";
            return kExitDone;
        }
        return removeStore(id, "the profile was removed, but its store could not be removed completely");
    }

    int clear() {
        ProfilArray profiles;
        const auto index = choose(profiles);
        if (!index)
            return kExitUsage;
        const std::string id = profiles[*index].Id.text();
        if (!isPlainStoreName(id))
            throw FileError(msg::kBadProfileId, id, 0);
        const ProfileChangeLock lock = lockProfileForChange(programPath_, id);
        if (lock.busy)
            return busy();
        // A fresh start: this computer no longer holds the profile's pairs to the generations of
        // the agreed states it saw, whatever a medium once made it remember.
        forgetAgreedGenerations(id);
        return removeStore(id, "the profile's store could not be removed completely");
    }

private:
    // The profile that PROFILE names, with every profile of the file.
    std::optional<std::size_t> choose(ProfilArray& profiles) {
        const std::string file = profileFilePath(programPath_);
        if (!platform::fileExists(file)) {
            usage(env_.err, "no profile file " + file);
            return std::nullopt;
        }
        profiles = loadProfilesSaying(programPath_, env_.err);
        const ProfileChoice choice = chooseProfile(profiles, o_.profile);
        if (!choice.error.empty()) {
            usage(env_.err, choice.error);
            return std::nullopt;
        }
        return choice.index;
    }

    // Two commands that change the profile file at once would each rewrite it from what they read:
    // the lock makes the second read what the first wrote.
    std::unique_ptr<platform::FileLock> lockProfileFile() const {
        return platform::FileLock::lockExisting(profileFilePath(programPath_));
    }

    int busy() {
        env_.err << kTool << "a run of this profile is in progress; try again when it has ended\n";
        return kExitEndedEarly;
    }

    std::string freshId(const ProfilArray& profiles) {
        for (;;) {
            const std::string id = newProfileId();
            bool taken = false;
            for (const TProfilLine& p : profiles)
                taken = taken || p.Id.text() == id;
            if (!taken)
                return id;
        }
    }

    // The options of add and set into the record; an error text for input that cannot be stored
    // as given. `name` is the name typed, if one was.
    std::string applyChanges(TProfilLine& p, const std::string* name) {
        if (name) {
            if (std::string problem = textFieldProblem("the name", *name); !problem.empty())
                return problem;
        }
        for (const PairChange& change : o_.pairs) {
            TFolderDual& pair = p.pair(static_cast<std::size_t>(change.number));
            if (change.clear)
                pair = TFolderDual{};
            for (const auto& [side, text, field] :
                 {std::tuple{"work", &change.work, &pair.PathWork}, std::tuple{"home", &change.home, &pair.PathHome}}) {
                if (!*text)
                    continue;
                if (!(*text)->empty()) {
                    if (const FolderTextProblem problem = checkFolderText(**text); problem != FolderTextProblem::None)
                        return std::string(side) + " folder '" + **text + "' of pair " + std::to_string(change.number) +
                               " " + folderProblemText(problem);
                }
                *field = ShortString<255>::fromText(**text);
            }
        }
        if (o_.exclude) {
            if (std::string problem = textFieldProblem("the exclusion masks", *o_.exclude); !problem.empty())
                return problem;
            p.LineExcept = ShortString<255>::fromText(*o_.exclude);
        }
        if (o_.deleteOption)
            p.OperacDell = *o_.deleteOption;
        if (o_.trash)
            p.DellBasket = *o_.trash;
        if (o_.confirm)
            p.DellConfirmat = *o_.confirm;
        if (o_.log)
            p.SaveLog = *o_.log;
        return {};
    }

    // The editor's save: check, end the folders with '/', prove the file writable, stamp this
    // computer and rewrite the file atomically. `index` past the end appends.
    int checkInput(const TProfilLine& p) const {
        switch (checkProfileInput(p.NameConf.text(), p)) {
        case ProfileProblem::NoName:
            return usage(env_.err, "a profile needs a name");
        case ProfileProblem::NoFolder:
            return usage(env_.err, "a profile needs at least one folder: --work DIR or --home DIR");
        case ProfileProblem::None:
            break;
        }
        return kExitDone;
    }

    int save(ProfilArray& profiles, TProfilLine& p, Role role, std::size_t index) {
        if (const int status = checkInput(p); status != kExitDone)
            return status;
        endFoldersWithSeparator(p);
        ensureProfileFileWritable(programPath_);
        stampSavingComputer(p, ShortString<25>::fromText(env_.pcIdent).bytes(), role == Role::Work);
        if (index < profiles.size())
            profiles[index] = p;
        else
            profiles.push_back(p);
        WriteProfiles(programPath_, profiles);
        return kExitDone;
    }

    void warnAboutSameName(const ProfilArray& profiles, std::size_t index) {
        std::size_t same = 0;
        for (const TProfilLine& p : profiles)
            same += p.NameConf == profiles[index].NameConf ? 1u : 0u;
        if (same > 1) {
            env_.err << kTool << "note: " << same << " profiles have this name; name this one by its Id "
                     << profiles[index].Id.text() << " or as #" << index << '\n';
        }
    }

    // "Удаления папки: …" and, on failure, the red line, as the editor's button writes them.
    int removeStore(const std::string& id, const std::string& failure) {
        const std::string store = transferStoreFolder(programPath_, id);
        if (!platform::folderExists(store))
            return kExitDone;
        TerminalSettings settings;
        settings.color = env_.stdoutIsTerminal && !env_.noColor;
        settings.progress = env_.stderrIsTerminal;
        settings.width = env_.terminalWidth;
        TerminalHost host(env_.in, env_.out, env_.err, env_.stop, settings);
        host.showProgressPanel(true);
        const bool removed = DelDir(store, false, true, host);
        host.showProgressPanel(false);
        env_.out.flush();
        if (removed)
            return kExitDone;
        env_.err << kTool << failure << '\n';
        return kExitEndedEarly;
    }

    const ProfileOptions& o_;
    CliEnvironment& env_;
    std::string programPath_;
};

} // namespace

int runProfileCommand(const std::vector<std::string>& rest, const std::optional<std::string>& medium,
                      CliEnvironment& env) {
    const ParsedProfileCommand parsed = parseProfileCommand(rest);
    if (!parsed.error.empty())
        return usage(env.err, parsed.error, parsed.options.action);
    const ProfileOptions& o = parsed.options;
    if (o.help) {
        env.out << profileHelpText(o.action);
        return kExitDone;
    }
    ProfileCommands commands(o, env, programPathOf(o.medium ? o.medium : medium, env.executableFolder));
    switch (o.action) {
    case ProfileAction::Add:
        return commands.add();
    case ProfileAction::Show:
        return commands.show();
    case ProfileAction::Set:
        return commands.set();
    case ProfileAction::Remove:
        return commands.remove();
    case ProfileAction::Clear:
        return commands.clear();
    case ProfileAction::None:
        break;
    }
    return usage(env.err, "profile needs an action: add, show, set, remove or clear");
}

} // namespace tarvela::cli
