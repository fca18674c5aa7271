#include "cli_options.h"

#include <array>
#include <string_view>
#include <utility>

namespace tarvela::cli {
namespace {

template <typename T> struct Word {
    std::string_view word;
    T value;
};

constexpr std::array<Word<Command>, 6> kCommands = {{
    {"list", Command::List},
    {"id", Command::Id},
    {"state", Command::State},
    {"run", Command::Run},
    {"profile", Command::Profile},
    {"log", Command::Log},
}};
constexpr std::array<Word<Role>, 2> kRoles = {{{"work", Role::Work}, {"home", Role::Home}}};
constexpr std::array<Word<Direction>, 2> kDirections = {{
    {"work-home", Direction::WorkHome},
    {"home-work", Direction::HomeWork},
}};
constexpr std::array<Word<FullCopyChoice>, 4> kFullCopyChoices = {{
    {"all", FullCopyChoice::All},
    {"none", FullCopyChoice::None},
    {"refuse", FullCopyChoice::Refuse},
    {"ask", FullCopyChoice::Ask},
}};
constexpr std::array<Word<DeleteChoice>, 3> kDeleteChoices = {{
    {"yes", DeleteChoice::Yes},
    {"no", DeleteChoice::No},
    {"ask", DeleteChoice::Ask},
}};

template <typename T, std::size_t N>
std::optional<T> lookUp(const std::array<Word<T>, N>& words, std::string_view word) {
    for (const auto& w : words) {
        if (w.word == word)
            return w.value;
    }
    return std::nullopt;
}

template <typename T, std::size_t N> std::string alternatives(const std::array<Word<T>, N>& words) {
    std::string out;
    for (const auto& w : words) {
        if (!out.empty())
            out += '|';
        out += w.word;
    }
    return out;
}

template <typename T, std::size_t N> const char* wordOf(const std::array<Word<T>, N>& words, T value) {
    for (const auto& w : words) {
        if (w.value == value)
            return w.word.data();
    }
    return "";
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    ParsedCommandLine parse() {
        bool optionsEnded = false;
        while (error_.empty() && next_ < args_.size()) {
            const std::string& arg = args_[next_++];
            if (!optionsEnded && arg == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
                option(arg);
            } else {
                positional(arg);
            }
        }
        if (error_.empty() && !o_.help)
            complete();
        return {o_, error_};
    }

private:
    // "--name value" or "--name=value".
    std::optional<std::string> value(const std::string& name, const std::optional<std::string>& inlineValue) {
        if (inlineValue)
            return inlineValue;
        if (next_ < args_.size())
            return args_[next_++];
        error_ = "option " + name + " needs a value";
        return std::nullopt;
    }

    template <typename T, std::size_t N>
    void choice(const std::string& name, const std::optional<std::string>& inlineValue,
                const std::array<Word<T>, N>& words, T& target) {
        const auto v = value(name, inlineValue);
        if (!v)
            return;
        if (const auto found = lookUp(words, *v)) {
            target = *found;
        } else {
            error_ = "option " + name + " takes " + alternatives(words) + ", not '" + *v + "'";
        }
    }

    template <typename T, std::size_t N>
    void choice(const std::string& name, const std::optional<std::string>& inlineValue,
                const std::array<Word<T>, N>& words, std::optional<T>& target) {
        T v{};
        choice(name, inlineValue, words, v);
        if (error_.empty())
            target = v;
    }

    bool allowed(const std::string& name, std::initializer_list<Command> commands) {
        for (const Command c : commands) {
            if (o_.command == c)
                return true;
        }
        error_ = o_.command == Command::None ? "option " + name + " belongs after a command"
                                             : "option " + name + " is not an option of this command";
        return false;
    }

    void option(const std::string& arg) {
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const std::optional<std::string> inlineValue =
            eq == std::string::npos ? std::nullopt : std::optional<std::string>(arg.substr(eq + 1));
        const bool flag = name == "--help" || name == "-h" || name == "--no-color" || name == "--allow-mass-removal" ||
                          name == "--allow-empty-folder" || name == "--dry-run";
        if (flag && inlineValue) {
            error_ = "option " + name + " takes no value";
        } else if (name == "--help" || name == "-h") {
            o_.help = true;
        } else if (name == "--medium") {
            if (const auto v = value(name, inlineValue))
                o_.medium = *v;
        } else if (name == "--role") {
            if (allowed(name, {Command::State, Command::Run}))
                choice(name, inlineValue, kRoles, o_.role);
        } else if (name == "--direction") {
            if (allowed(name, {Command::Run}))
                choice(name, inlineValue, kDirections, o_.direction);
        } else if (name == "--full-copy") {
            if (allowed(name, {Command::Run}))
                choice(name, inlineValue, kFullCopyChoices, o_.fullCopy);
        } else if (name == "--delete") {
            if (allowed(name, {Command::Run}))
                choice(name, inlineValue, kDeleteChoices, o_.deleteChoice);
        } else if (name == "--allow-mass-removal") {
            if (allowed(name, {Command::Run}))
                o_.allowMassRemoval = true;
        } else if (name == "--allow-empty-folder") {
            if (allowed(name, {Command::Run}))
                o_.allowEmptiedFolder = true;
        } else if (name == "--no-color") {
            if (allowed(name, {Command::Run}))
                o_.noColor = true;
        } else if (name == "--dry-run") {
            if (allowed(name, {Command::Run}))
                o_.dryRun = true;
        } else {
            error_ = "unknown option " + name;
        }
    }

    void positional(const std::string& arg) {
        if (o_.command == Command::None) {
            if (const auto c = lookUp(kCommands, arg)) {
                o_.command = *c;
                if (*c == Command::Profile || *c == Command::Log)
                    takeTheRest();
            } else {
                error_ = "unknown command '" + arg + "'";
            }
        } else if ((o_.command == Command::State || o_.command == Command::Run) && !haveProfile_) {
            o_.profile = arg;
            haveProfile_ = true;
        } else {
            error_ = "unexpected argument '" + arg + "'";
        }
    }

    // Everything after the command word belongs to the command's own parser.
    void takeTheRest() {
        o_.rest.assign(args_.begin() + static_cast<std::ptrdiff_t>(next_), args_.end());
        next_ = args_.size();
    }

    void complete() {
        if (o_.command == Command::None) {
            error_ = "no command given";
        } else if ((o_.command == Command::State || o_.command == Command::Run) && !haveProfile_) {
            error_ = "no PROFILE given";
        } else if (o_.command == Command::Run && !o_.direction) {
            error_ = "run needs --direction work-home|home-work";
        }
    }

    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    CliOptions o_;
    bool haveProfile_ = false;
    std::string error_;
};

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    return Parser(args).parse();
}

const char* roleWord(Role role) {
    return wordOf(kRoles, role);
}
const char* directionWord(Direction direction) {
    return wordOf(kDirections, direction);
}

} // namespace tarvela::cli
