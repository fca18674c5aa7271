#include "terminal_host.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "base/visible_text.h"
#include "terminal_questions.h"

#include <chrono>

namespace tarvela::cli {
namespace {

constexpr std::chrono::milliseconds kRedrawInterval{100};
constexpr std::string_view kReset = "\033[0m";
constexpr std::string_view kEraseLine = "\r\033[K";

// C0 controls, DEL and the C1 controls (U+0080..U+009F, two bytes in UTF-8) become '?'. A message
// keeps its line breaks (LF; a CR is dropped, as message boxes break "\n\r" into one line break).
std::string safeForTerminal(std::string_view text, bool message = false) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (message && (c == '\n' || c == '\r')) {
            if (c == '\n')
                out.push_back('\n');
        } else if (c < 0x20 || c == 0x7F) {
            out.push_back('?');
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out.push_back('?');
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// The option that answers the question behind a line the engine writes when the answer was no:
// on a terminal the answer is that option, so the line names it.
std::string_view optionAnswering(std::string_view text) {
    if (text.starts_with(msg::kFolderReadsEmpty))
        return "--allow-empty-folder";
    if (text.starts_with(msg::kMassRemovalSkipped))
        return "--allow-mass-removal";
    return {};
}

} // namespace

std::string_view ansiColor(std::uint32_t c) {
    switch (color::normalized(c)) {
    case color::kMaroon:
        return "\033[31m";
    case color::kBlue:
        return "\033[34m";
    case color::kTeal:
        return "\033[36m";
    case color::kPurple:
        return "\033[35m";
    case color::kGreen:
        return "\033[32m";
    case color::kRed:
        return "\033[1;91m";
    case color::kOrange:
        return "\033[33m";
    default:
        return {};
    }
}

TerminalHost::TerminalHost(std::istream& in, std::ostream& out, std::ostream& err, const std::atomic<bool>& stop,
                           TerminalSettings settings)
    : in_(in), out_(out), err_(err), stop_(stop), settings_(settings) {}

void TerminalHost::echo(std::string_view text, std::uint32_t color) {
    erase();
    const std::string_view escape = settings_.color ? ansiColor(color) : std::string_view{};
    // The run's echo path has made control characters visible already; a line from elsewhere gets
    // the same treatment, with or without colours.
    std::string line = visibleText(text);
    if (const std::string_view option = optionAnswering(text); !option.empty())
        line.append(" (").append(option).append(")");
    if (escape.empty()) {
        out_ << line << '\n';
    } else {
        out_ << escape << line << kReset << '\n';
    }
    // Line by line also into a pipe or a file: a killed run keeps every line it wrote.
    out_.flush();
}

void TerminalHost::showProgressPanel(bool visible) {
    if (visible && !panel_)
        line_.start(ProgressLine::Clock::now());
    panel_ = visible;
    if (!visible)
        erase();
}

void TerminalHost::setFolderProgress(std::int64_t position, std::int64_t maximum) {
    line_.setFiles(position, maximum);
    draw();
}

void TerminalHost::setFileProgress(std::int64_t position, std::int64_t) {
    line_.setFileBytes(position);
    draw();
}

void TerminalHost::setFileLabel(std::string_view path) {
    line_.setFileName(safeForTerminal(path));
}

void TerminalHost::draw() {
    if (!settings_.progress || !panel_)
        return;
    const auto now = ProgressLine::Clock::now();
    if (now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    err_ << kEraseLine << line_.render(now, settings_.width - 1) << std::flush;
    drawn_ = true;
}

void TerminalHost::erase() {
    if (!drawn_)
        return;
    err_ << kEraseLine << std::flush;
    drawn_ = false;
}

FullCopyAnswer TerminalHost::askFullCopy(std::string_view folder) {
    FullCopyChoice choice = settings_.fullCopy;
    if (choice == FullCopyChoice::Unset) {
        choice = settings_.canAsk ? FullCopyChoice::Ask : FullCopyChoice::Refuse;
        if (!settings_.canAsk && !toldFullCopy_) {
            erase();
            err_ << "tarvela-cli: " << safeForTerminal(folder)
                 << " has never been received by the other computer; without a terminal to ask, the full copy is "
                    "refused (answer with --full-copy all|none|refuse)\n";
            toldFullCopy_ = true;
        }
    }
    switch (choice) {
    case FullCopyChoice::All:
        return {FullCopyResult::CopyAll, true};
    case FullCopyChoice::None:
        return {FullCopyResult::CopyNothing, true};
    case FullCopyChoice::Ask:
        erase();
        return askFullCopyOn(in_, err_, safeForTerminal(folder));
    default:
        return {FullCopyResult::Refused, false};
    }
}

DeleteAnswer TerminalHost::askDelete(std::string_view path) {
    DeleteChoice choice = settings_.deleteChoice;
    if (choice == DeleteChoice::Unset) {
        choice = settings_.canAsk ? DeleteChoice::Ask : DeleteChoice::No;
        if (!settings_.canAsk && !toldDelete_) {
            erase();
            err_ << "tarvela-cli: nothing is removed without a terminal to ask (answer with --delete yes|no)\n";
            toldDelete_ = true;
        }
    }
    switch (choice) {
    case DeleteChoice::Yes:
        return DeleteAnswer::YesToAll;
    case DeleteChoice::Ask:
        erase();
        return askDeleteOn(in_, err_, safeForTerminal(path));
    default:
        return DeleteAnswer::NoToAll;
    }
}

bool TerminalHost::askMassRemoval(std::string_view, std::int64_t, std::int64_t) {
    if (!settings_.allowMassRemoval && !toldMassRemoval_) {
        erase();
        err_ << "tarvela-cli: many removals at once are skipped (after checking that the other computer's folder "
                "really lost these files, answer with --allow-mass-removal)\n";
        toldMassRemoval_ = true;
    }
    return settings_.allowMassRemoval;
}

bool TerminalHost::askEmptiedFolder(std::string_view) {
    if (!settings_.allowEmptiedFolder && !toldEmptiedFolder_) {
        erase();
        err_ << "tarvela-cli: a pair folder that reads empty although it held files is skipped (if you emptied it "
                "on purpose and its files are to be removed on the other computer, answer with "
                "--allow-empty-folder)\n";
        toldEmptiedFolder_ = true;
    }
    return settings_.allowEmptiedFolder;
}

void TerminalHost::showError(std::string_view message) {
    erase();
    err_ << safeForTerminal(message, true) << '\n';
}

} // namespace tarvela::cli
