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

} // namespace tarvela
