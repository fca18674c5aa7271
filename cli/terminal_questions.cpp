#include "terminal_questions.h"

#include "base/messages.h"

#include <optional>
#include <string>

namespace tarvela::cli {
namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The caption of the dialog's check box on one line: its line break becomes a space.
std::string oneLine(std::string_view s) {
    std::string out;
    for (const char c : trimmed(s)) {
        if (c == '\r')
            continue;
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out.push_back(c);
    }
    return out;
}

// Reads answers until `decode` accepts one; nullopt at the end of the input.
template <typename T, typename Decode>
std::optional<T> readAnswer(std::istream& in, std::ostream& err, std::string_view prompt, Decode decode) {
    std::string line;
    for (;;) {
        err << prompt << std::flush;
        if (!std::getline(in, line)) {
            err << '\n';
            return std::nullopt;
        }
        if (const std::optional<T> answer = decode(trimmed(line)))
            return answer;
    }
}

} // namespace

FullCopyAnswer askFullCopyOn(std::istream& in, std::ostream& err, std::string_view folder) {
    err << trimmed(msg::kFullCopyInfoMissing) << '\n'
        << msg::kFullCopyFolder << ' ' << folder << '\n'
        << "  a  " << msg::kExecute << ": " << oneLine(msg::kFullCopyAllFiles) << '\n'
        << "  n  " << msg::kExecute << ", nothing copied: the folders are taken as equal\n"
        << "  r  " << msg::kRefuse << '\n'
        << "  add ! (a!, n!) for: " << trimmed(msg::kFullCopyForAllFolders) << '\n';
    const auto answer = readAnswer<FullCopyAnswer>(in, err, "[a/n/r] ", [](std::string_view a) {
        const bool all = a.size() == 2 && a[1] == '!';
        if (a.size() != 1 && !all)
            return std::optional<FullCopyAnswer>();
        switch (a[0]) {
        case 'a':
            return std::optional<FullCopyAnswer>({FullCopyResult::CopyAll, all});
        case 'n':
            return std::optional<FullCopyAnswer>({FullCopyResult::CopyNothing, all});
        case 'r':
            return std::optional<FullCopyAnswer>({FullCopyResult::Refused, false});
        default:
            return std::optional<FullCopyAnswer>();
        }
    });
    return answer.value_or(FullCopyAnswer{FullCopyResult::Refused, false});
}

DeleteAnswer askDeleteOn(std::istream& in, std::ostream& err, std::string_view path) {
    err << msg::kAttention << ": " << msg::kDeleteQuestion << path << '\n';
    std::string prompt = "  y " + std::string(msg::kYes) + "  n " + std::string(msg::kNo) + "  a " +
                         std::string(msg::kYesToAll) + "  x " + std::string(msg::kNoToAll) + " > ";
    const auto answer =
        readAnswer<DeleteAnswer>(in, err, prompt, [](std::string_view a) -> std::optional<DeleteAnswer> {
            if (a == "y")
                return DeleteAnswer::Yes;
            if (a == "n")
                return DeleteAnswer::No;
            if (a == "a")
                return DeleteAnswer::YesToAll;
            if (a == "x")
                return DeleteAnswer::NoToAll;
            return std::nullopt;
        });
    return answer.value_or(DeleteAnswer::Closed);
}

} // namespace tarvela::cli
