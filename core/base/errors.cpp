#include "base/errors.h"

#include <cstring>

namespace tarvela {
namespace {

std::string describe(std::string_view what, const std::string& path, int err) {
    std::string text(what);
    text += path;
    if (err != 0) {
        text += ": ";
        text += std::strerror(err);
    }
    return text;
}

} // namespace

FileError::FileError(std::string_view what, const std::string& path, int err)
    : std::runtime_error(describe(what, path, err)), path_(path), err_(err) {}

FileError::FileError(const FileError& first, const FileError& second)
    : std::runtime_error(std::string(first.what()) + '\n' + second.what()), path_(first.path_), err_(first.err_) {}

} // namespace tarvela
