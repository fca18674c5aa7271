#pragma once
// The failure of a profile, table or log file. It ends the operation in progress; each front end's
// run frame catches it and shows what() (the GUI in a message box, the CLI on stderr, exit 3).

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvela {

class FileError : public std::runtime_error {
public:
    // what: the operation's Russian prefix (msg::kCannot...); err: the errno value, 0 for none.
    FileError(std::string_view what, const std::string& path, int err);
    // The failure `first` followed by `second`, which came while `first` was being handled: what()
    // holds both texts, one per line, so that neither is lost; path() and errorNumber() are first's.
    FileError(const FileError& first, const FileError& second);

    const std::string& path() const { return path_; }
    int errorNumber() const { return err_; }

private:
    std::string path_;
    int err_;
};

} // namespace tarvela
