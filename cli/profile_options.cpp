#include "profile_options.h"

#include <array>
#include <charconv>
#include <string_view>

namespace tarvela::cli {
namespace {

struct ActionWord {
    std::string_view word;
    ProfileAction action;
};

constexpr std::array<ActionWord, 5> kActions = {{
    {"add", ProfileAction::Add},
    {"show", ProfileAction::Show},
    {"set", ProfileAction::Set},
    {"remove", ProfileAction::Remove},
    {"clear", ProfileAction::Clear},
}};

// Splits "--name=value" into the name and its value.
struct OptionWord {
    std::string name;
    std::optional<std::string> inlineValue;
};

OptionWord splitOption(const std::string& arg) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos)
        return {arg, std::nullopt};
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// Walks the arguments; "--" ends the options so that a name may begin with '-'.
class ArgumentWalk {
public:
    explicit ArgumentWalk(const std::vector<std::string>& args) : args_(args) {}

    bool done() const { return next_ >= args_.size(); }
    const std::string& take() { return args_[next_++]; }

    std::optional<std::string> value(const OptionWord& o, std::string& error) {
        if (o.inlineValue)
            return o.inlineValue;
        if (!done())
            return take();
        error = "option " + o.name + " needs a value";
        return std::nullopt;
    }

private:
    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
};

class ProfileParser {
public:
    explicit ProfileParser(const std::vector<std::string>& args) : walk_(args) {}

    ParsedProfileCommand parse() {
        bool optionsEnded = false;
        while (error_.empty() && !walk_.done()) {
            const std::string& arg = walk_.take();
            if (!optionsEnded && arg == "--")
                optionsEnded = true;
            else if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
                option(splitOption(arg));
            else
                positional(arg);
        }
        if (error_.empty() && !o_.help)
            complete();
        return {o_, error_};
    }

private:
    bool changes() const { return o_.action == ProfileAction::Add || o_.action == ProfileAction::Set; }

    bool allowed(const std::string& name, bool here) {
        if (!here) {
            error_ = o_.action == ProfileAction::None
                         ? "option " + name + " belongs after add, show, set, remove or clear"
                         : "option " + name + " is not an option of profile " + profileActionWord(o_.action);
        }
        return here;
    }

    PairChange& currentPair() {
        for (PairChange& p : o_.pairs) {
            if (p.number == pair_)
                return p;
        }
        o_.pairs.push_back(PairChange{pair_, {}, {}, false});
        return o_.pairs.back();
    }

    void onOff(const OptionWord& o, std::optional<bool>& target) {
        const auto v = walk_.value(o, error_);
        if (!v)
            return;
        if (*v == "on")
            target = true;
        else if (*v == "off")
            target = false;
        else
            error_ = "option " + o.name + " takes on|off, not '" + *v + "'";
    }

    void pairNumber(const OptionWord& o) {
        const auto v = walk_.value(o, error_);
        if (!v)
            return;
        int n = 0;
        const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
        if (ec != std::errc() || end != v->data() + v->size() || n < 1 || n > 10) {
            error_ = "option --pair takes a pair number 1..10, not '" + *v + "'";
            return;
        }
        pair_ = n;
        pairGiven_ = true;
    }

    void folder(const OptionWord& o, bool work) {
        const auto v = walk_.value(o, error_);
        if (!v)
            return;
        PairChange& p = currentPair();
        if (p.clear) {
            error_ = "pair " + std::to_string(pair_) + " is both cleared and given a folder";
            return;
        }
        (work ? p.work : p.home) = *v;
    }

    void clearPair() {
        if (!pairGiven_) {
            error_ = "--clear needs --pair N before it";
            return;
        }
        PairChange& p = currentPair();
        if (p.work || p.home) {
            error_ = "pair " + std::to_string(pair_) + " is both cleared and given a folder";
            return;
        }
        p.clear = true;
    }

    void option(const OptionWord& o) {
        const std::string& n = o.name;
        const bool flag = n == "--help" || n == "-h" || n == "--json" || n == "--keep-store" || n == "--clear";
        if (flag && o.inlineValue) {
            error_ = "option " + n + " takes no value";
        } else if (n == "--help" || n == "-h") {
            o_.help = true;
        } else if (n == "--medium") {
            if (const auto v = walk_.value(o, error_))
                o_.medium = *v;
        } else if (n == "--work" || n == "--home") {
            if (allowed(n, changes()))
                folder(o, n == "--work");
        } else if (n == "--pair") {
            if (allowed(n, changes()))
                pairNumber(o);
        } else if (n == "--clear") {
            if (allowed(n, o_.action == ProfileAction::Set))
                clearPair();
        } else if (n == "--name") {
            if (allowed(n, o_.action == ProfileAction::Set)) {
                if (const auto v = walk_.value(o, error_))
                    o_.name = *v;
            }
        } else if (n == "--exclude") {
            if (allowed(n, changes())) {
                if (const auto v = walk_.value(o, error_))
                    o_.exclude = *v;
            }
        } else if (n == "--role") {
            if (allowed(n, changes())) {
                const auto v = walk_.value(o, error_);
                if (v && *v == "work")
                    o_.role = Role::Work;
                else if (v && *v == "home")
                    o_.role = Role::Home;
                else if (v)
                    error_ = "option --role takes work|home, not '" + *v + "'";
            }
        } else if (n == "--delete") {
            if (allowed(n, changes()))
                onOff(o, o_.deleteOption);
        } else if (n == "--trash") {
            if (allowed(n, changes()))
                onOff(o, o_.trash);
        } else if (n == "--confirm") {
            if (allowed(n, changes()))
                onOff(o, o_.confirm);
        } else if (n == "--log") {
            if (allowed(n, changes()))
                onOff(o, o_.log);
        } else if (n == "--json") {
            if (allowed(n, o_.action == ProfileAction::Show))
                o_.json = true;
        } else if (n == "--keep-store") {
            if (allowed(n, o_.action == ProfileAction::Remove))
                o_.keepStore = true;
        } else {
            error_ = "unknown option " + n;
        }
    }

    void positional(const std::string& arg) {
        if (o_.action == ProfileAction::None) {
            for (const ActionWord& a : kActions) {
                if (a.word == arg)
                    o_.action = a.action;
            }
            if (o_.action == ProfileAction::None)
                error_ = "unknown profile action '" + arg + "' (add, show, set, remove, clear)";
        } else if (!haveProfile_) {
            o_.profile = arg;
            haveProfile_ = true;
        } else {
            error_ = "unexpected argument '" + arg + "'";
        }
    }

    void complete() {
        if (o_.action == ProfileAction::None)
            error_ = "profile needs an action: add, show, set, remove or clear";
        else if (!haveProfile_)
            error_ = o_.action == ProfileAction::Add ? "profile add needs a NAME" : "no PROFILE given";
    }

    ArgumentWalk walk_;
    ProfileOptions o_;
    int pair_ = 1;
    bool pairGiven_ = false;
    bool haveProfile_ = false;
    std::string error_;
};

} // namespace

ParsedProfileCommand parseProfileCommand(const std::vector<std::string>& args) {
    return ProfileParser(args).parse();
}

ParsedLogCommand parseLogCommand(const std::vector<std::string>& args) {
    ParsedLogCommand out;
    LogOptions& o = out.options;
    ArgumentWalk walk(args);
    bool haveProfile = false;
    bool optionsEnded = false;
    while (out.error.empty() && !walk.done()) {
        const std::string& arg = walk.take();
        const OptionWord word = splitOption(arg);
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if ((word.name == "--help" || word.name == "-h" || word.name == "--no-color") && word.inlineValue)
                out.error = "option " + word.name + " takes no value";
            else if (word.name == "--help" || word.name == "-h")
                o.help = true;
            else if (word.name == "--no-color")
                o.noColor = true;
            else if (word.name == "--medium") {
                if (const auto v = walk.value(word, out.error))
                    o.medium = *v;
            } else
                out.error = "unknown option " + word.name;
        } else if (!haveProfile) {
            o.profile = arg;
            haveProfile = true;
        } else {
            out.error = "unexpected argument '" + arg + "'";
        }
    }
    if (out.error.empty() && !o.help && !haveProfile)
        out.error = "no PROFILE given";
    return out;
}

const char* profileActionWord(ProfileAction action) {
    for (const ActionWord& a : kActions) {
        if (a.action == action)
            return a.word.data();
    }
    return "";
}

} // namespace tarvela::cli
