#include "log_command.h"

#include "log/rtf_reader.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "profile_choice.h"
#include "profile_help_text.h"
#include "profile_loading.h"
#include "profile_options.h"
#include "program_path.h"
#include "records/profile_file.h"
#include "records/store_layout.h"
#include "records/utf8.h"
#include "terminal_host.h"

#include <cstdio>

namespace tarvela::cli {
namespace {

constexpr std::string_view kTool = "tarvela-cli: ";
constexpr std::string_view kReset = "\033[0m";
constexpr std::string_view kBold = "\033[1m";
constexpr char32_t kLineSeparator = 0x2028;

int usage(std::ostream& err, const std::string& message) {
    err << kTool << message << "\nTry 'tarvela-cli log --help'.\n";
    return kExitUsage;
}

// Text of a run with every control character (C0, DEL, C1) and the in-paragraph line break made
// visible; tabs stay tabs.
std::string visible(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    Utf8Decoder decoder(text);
    std::size_t start = 0;
    for (char32_t cp = 0; decoder.next(cp); start = decoder.position()) {
        const std::string_view bytes = text.substr(start, decoder.position() - start);
        if (cp == kLineSeparator) {
            out += "\\n";
        } else if (cp == '\t') {
            out += '\t';
        } else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == kInvalidCodePoint) {
            for (const char c : bytes) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(c));
                out += escape;
            }
        } else {
            out += bytes;
        }
    }
    return out;
}

std::string readWholeFile(const std::string& path) {
    platform::FileReader reader(path);
    std::string content(static_cast<std::size_t>(reader.size()), '\0');
    content.resize(reader.read(content.data(), content.size()));
    return content;
}

} // namespace

std::string logLines(std::string_view rtf, bool color) {
    std::string out;
    for (const RtfParagraph& paragraph : readRtf(rtf)) {
        for (const RtfRun& run : paragraph.runs) {
            if (!color) {
                out += visible(run.text);
                continue;
            }
            const std::string_view escape = ansiColor(run.color.value_or(0));
            const bool bold = run.bold && escape.find("1;") == std::string_view::npos;
            const bool styled = !escape.empty() || bold;
            out += escape;
            if (bold)
                out += kBold;
            out += visible(run.text);
            if (styled)
                out += kReset;
        }
        out += '\n';
    }
    return out;
}

int runLogCommand(const std::vector<std::string>& rest, const std::optional<std::string>& medium, CliEnvironment& env) {
    const ParsedLogCommand parsed = parseLogCommand(rest);
    if (!parsed.error.empty())
        return usage(env.err, parsed.error);
    const LogOptions& o = parsed.options;
    if (o.help) {
        env.out << logHelpText();
        return kExitDone;
    }
    const std::string programPath = programPathOf(o.medium ? o.medium : medium, env.executableFolder);
    const std::string file = profileFilePath(programPath);
    if (!platform::fileExists(file))
        return usage(env.err, "no profile file " + file);
    const ProfilArray profiles = loadProfilesSaying(programPath, env.err);
    const ProfileChoice choice = chooseProfile(profiles, o.profile);
    if (!choice.error.empty())
        return usage(env.err, choice.error);
    const TProfilLine& profile = profiles[choice.index];
    const std::string id = profile.Id.text();
    const std::string path = isPlainStoreName(id) ? logFile(transferStoreFolder(programPath, id), id) : std::string();
    if (path.empty() || !platform::fileExists(path)) {
        env.err << kTool
                << (profile.SaveLog ? "the profile has no log yet" : "the profile keeps no log (its log option is off)")
                << (path.empty() ? std::string() : " (no file " + path + ")") << '\n';
        return kExitEndedEarly;
    }
    const bool color = env.stdoutIsTerminal && !o.noColor && !env.noColor;
    env.out << logLines(readWholeFile(path), color);
    env.out.flush();
    return kExitDone;
}

} // namespace tarvela::cli
