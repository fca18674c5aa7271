#pragma once
// A file name matched against a mask in the shell's way: '*' any run of characters, '?' one,
// "[abc]", "[a-z]" and "[!abc]" one of a set, '\' takes the next character literally. A leading
// '.' of the name is matched only by a '.' in the mask, so "*" leaves hidden files out. Bytes are
// compared as they are (case matters).

#include <string_view>

namespace tarvela {

bool nameMatchesMask(std::string_view mask, std::string_view name);

} // namespace tarvela
