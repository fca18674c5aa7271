#include "random_names.h"

#include "utf8.h"

#include <random>

namespace tarvela {
namespace {

std::string randomText(std::string_view start, std::size_t length, std::string_view alphabet) {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> index(0, alphabet.size() - 1);
    std::string text(start);
    while (text.size() < length) text.push_back(alphabet[index(generator)]);
    return text;
}

} // namespace

std::string RandomNameFile(std::string_view prefix, std::size_t length) {
    return randomText(prefix, length, kStoreNameAlphabet);
}

std::string RandomID(std::size_t length) { return randomText({}, length, kIdAlphabet); }

std::string_view fileExtension(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = last.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : last.substr(dot);
}

std::string makeStoreName(std::string_view path) {
    std::string name = RandomNameFile("", kStoreNameRandomLength);
    // Append the extension a character at a time so that a cut never splits a UTF-8 sequence.
    const std::string_view ext = fileExtension(path);
    Utf8Decoder decoder(ext);
    std::size_t chars = kStoreNameRandomLength;
    std::size_t begin = 0;
    char32_t cp = 0;
    while (chars < kStoreNameMaxLength && decoder.next(cp)) {
        name.append(ext.substr(begin, decoder.position() - begin));
        begin = decoder.position();
        ++chars;
    }
    return name;
}

} // namespace tarvela
