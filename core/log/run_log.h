#pragma once
// The log of one run (RichEditLog) and the profile's log file that collects the runs.
//
// A run's log is an RTF document, written as 8-bit text in Windows-1251:
//
//   {\rtf1\ansi\ansicpg1251...{\fonttbl...}{\colortbl ;...}     header: the same in every document
//   \viewkind4\uc1\pard                                          marker: exactly once
//   \f0\fs20\cf2\b0 line\par CR LF  ...                           body: one paragraph per line
//   } CR LF NUL                                                  tail: exactly 4 bytes
//
// The tail is the one the classic rich-text control writes, so logs of either writer extend each
// other. The colour table never changes, so a body appended to any of our documents keeps its
// colours; each paragraph sets its colour, weight, font and size itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela {

class RunLog {
public:
    static constexpr std::string_view kMarker = "\\viewkind4\\uc1\\pard";
    static constexpr std::string_view kTail{"}\r\n\0", 4};

    // Appends one line in a colour of EchoColor; "no colour" is black, red is bold. A colour
    // outside that palette is written black, since the colour table is fixed.
    void AddLogText(std::string_view text, std::uint32_t color);

    // The whole document: header, marker, every line so far, tail.
    std::string document() const;

private:
    std::string body_;
};

// A log file of 13 107 200 bytes or more is started afresh by the next run.
inline constexpr std::int64_t kLogRestartSize = std::int64_t{102400} * 128;

// The existing log document `old` with the part of `newDocument` after its marker appended (tail
// included). `old` loses its closing brace and whatever follows it (the 4-byte tail of every log
// of ours or of the classic control). Empty when `old` is not a whole RTF group that we could
// extend without breaking it, or `newDocument` has no marker.
std::optional<std::string> mergeLogDocument(std::string_view old, std::string_view newDocument);

enum class LogFileUpdate {
    NoStoreFolder, // the profile has no transfer store folder: nothing written
    Created,       // there was no log file: it now holds this run's document
    Restarted,     // the old file was too long or not a document we can extend: kept as <Id>-<n>.log
                   // (the first free n from 1), and a new file holds this run's document
    Extended,      // this run's body was appended
    Dropped,       // the existing file could not be read or written: this run's log is lost
};

// Writes the run's log into PathTask/<Id>.log: creates it, extends it, or starts it afresh at
// kLogRestartSize or when it is not a document we can extend, keeping the old one beside it. Every
// write replaces the file atomically. A failure to create a new file throws FileError; a failure
// with an existing one drops the run's log without a word (Dropped).
LogFileUpdate AddLogTmpToLogFile(const RunLog& log, const std::string& pathTask, const std::string& id);

} // namespace tarvela
