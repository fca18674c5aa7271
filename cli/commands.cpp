#include "commands.h"

#include "cli_options.h"
#include "help_text.h"
#include "log_command.h"
#include "platform/file_system.h"
#include "profile_choice.h"
#include "profile_commands.h"
#include "profile_loading.h"
#include "program_path.h"
#include "sync/run_control.h"
#include "sync/run_plan.h"
#include "records/store_layout.h"
#include "sync/sync_context.h"
#include "terminal_host.h"

#include <optional>

namespace tarvela::cli {
namespace {

constexpr std::string_view kTool = "tarvela-cli: ";

int usageError(std::ostream& err, const std::string& message) {
    err << kTool << message << "\nTry 'tarvela-cli --help'.\n";
    return kExitUsage;
}

// A field of a list line: tabs and line breaks would break the line's format.
std::string listField(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return out;
}

// The profiles of the medium; an error text when there is no profile file.
struct Profiles {
    ProfilArray all;
    std::string error;
};

Profiles loadProfiles(const std::string& programPath, std::ostream& err) {
    const std::string file = profileFilePath(programPath);
    // Only a missing file is "no profile file"; a folder, a link or a device there is refused by
    // the reader with its own text (exit 3).
    if (platform::pathKindNoFollow(file) == platform::PathKind::Missing)
        return {{}, "no profile file " + file};
    return {loadProfilesSaying(programPath, err), {}};
}

class Commands {
public:
    Commands(const CliOptions& o, CliEnvironment& env)
        : o_(o), env_(env), programPath_(programPathOf(o.medium, env.executableFolder)) {}

    int list() {
        const Profiles p = loadProfiles(programPath_, env_.err);
        if (!p.error.empty())
            return usageError(env_.err, p.error);
        for (std::size_t i = 0; i < p.all.size(); ++i) {
            const TProfilLine& t = p.all[i];
            env_.out << i << '\t' << listField(t.Id.text()) << '\t' << listField(t.NameConf.text()) << '\t'
                     << (t.isWorkRole() ? "work" : "home") << '\t' << listField(t.IdPC.text()) << '\n';
        }
        return kExitDone;
    }

    int id() {
        env_.out << ShortString<25>::fromText(env_.pcIdent).text() << '\n';
        return kExitDone;
    }

    int state() {
        const auto chosen = choose();
        if (!chosen)
            return kExitUsage;
        const DirectionButtons enabled = TestState(programPath_, true, chosen->task, chosen->role);
        if (enabled.WorkHome)
            env_.out << directionWord(Direction::WorkHome) << '\n';
        if (enabled.HomeWork)
            env_.out << directionWord(Direction::HomeWork) << '\n';
        return kExitDone;
    }

    int run() {
        const auto chosen = choose();
        if (!chosen)
            return kExitUsage;
        TerminalSettings settings;
        settings.color = env_.stdoutIsTerminal && !o_.noColor && !env_.noColor;
        settings.progress = env_.stderrIsTerminal;
        settings.canAsk = env_.stdinIsTerminal;
        settings.fullCopy = o_.fullCopy;
        settings.deleteChoice = o_.deleteChoice;
        settings.allowMassRemoval = o_.allowMassRemoval;
        settings.allowEmptiedFolder = o_.allowEmptiedFolder;
        settings.width = env_.terminalWidth;
        TerminalHost host(env_.in, env_.out, env_.err, env_.stop, settings);
        RunPlan plan;
        SyncContext ctx{programPath_, {}, host, env_.copier, {}, o_.dryRun ? &plan : nullptr};
        const Direction direction = *o_.direction;
        std::int64_t failedItems = 0;
        const HalfResult result = RunHalf(ctx, chosen->task, direction, chosen->role, &failedItems);
        env_.out.flush();
        return ended(result, direction, chosen->role, failedItems);
    }

private:
    struct Chosen {
        TProfilLine task;
        Role role;
    };

    std::optional<Chosen> choose() {
        const Profiles p = loadProfiles(programPath_, env_.err);
        if (!p.error.empty()) {
            usageError(env_.err, p.error);
            return std::nullopt;
        }
        const ProfileChoice profile = chooseProfile(p.all, o_.profile);
        if (!profile.error.empty()) {
            usageError(env_.err, profile.error);
            return std::nullopt;
        }
        const TProfilLine& task = p.all[profile.index];
        const RoleChoice role = chooseRole(o_.role, task, env_.pcIdent);
        if (!role.error.empty()) {
            usageError(env_.err, role.error);
            return std::nullopt;
        }
        return Chosen{task, role.role};
    }

    int ended(HalfResult result, Direction direction, Role role, std::int64_t failedItems) {
        switch (result) {
        case HalfResult::Completed:
            return failedItems > 0 ? kExitSomeFailed : kExitDone;
        case HalfResult::NotEnabled:
            env_.err << kTool << directionWord(direction) << " may not run in the " << roleWord(role)
                     << " role now (see 'tarvela-cli state')\n";
            return kExitEndedEarly;
        case HalfResult::Busy:
            env_.err << kTool << "another run is working on this profile's store; try again when it has ended\n";
            return kExitEndedEarly;
        case HalfResult::Stopped:
            env_.err << kTool << "stopped\n";
            return kExitEndedEarly;
        case HalfResult::Refused:
            env_.err << kTool << "the full copy was refused\n";
            return kExitEndedEarly;
        case HalfResult::StoreRemovalFailed:
        case HalfResult::DiskFailed:
        case HalfResult::WrongPath:
        case HalfResult::NotEnoughSpace:
        case HalfResult::FlushFailed:
            return kExitEndedEarly; // the half has said why
        }
        return kExitEndedEarly;
    }

    const CliOptions& o_;
    CliEnvironment& env_;
    std::string programPath_;
};

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& env) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.error.empty())
        return usageError(env.err, parsed.error);
    const CliOptions& o = parsed.options;
    if (o.help) {
        env.out << helpText(o.command);
        return kExitDone;
    }
    try {
        Commands commands(o, env);
        switch (o.command) {
        case Command::List:
            return commands.list();
        case Command::Id:
            return commands.id();
        case Command::State:
            return commands.state();
        case Command::Run:
            return commands.run();
        case Command::Profile:
            return runProfileCommand(o.rest, o.medium, env);
        case Command::Log:
            return runLogCommand(o.rest, o.medium, env);
        case Command::None:
            break;
        }
        return usageError(env.err, "no command given");
    } catch (const std::exception& e) {
        // FileError above all; anything else the system refused (memory, the current folder) ends
        // the command the same way rather than as a crash.
        env.out.flush();
        env.err << kTool << e.what() << '\n';
        return kExitFileFailure;
    }
}

} // namespace tarvela::cli
