#include "records/random_names.h"

#include "records/path_form.h"
#include "records/utf8.h"

#include <cstdint>
#include <random>

namespace tarvela {
namespace {

// splitmix64, seeded once per thread from the system's entropy source: fast, and uniform enough
// for names that only need to be unlikely to repeat.
std::uint64_t nextRandom() {
    thread_local std::uint64_t state = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string randomText(std::string_view start, std::size_t length, std::string_view alphabet) {
    const std::uint64_t base = alphabet.size();
    // Up to 12 characters come from one 64-bit draw (36^12 < 2^64); draws above the largest
    // multiple of base^digits are rejected so that every character stays uniform.
    std::size_t digits = 0;
    std::uint64_t span = 1;
    while (digits < 12 && span <= UINT64_MAX / base) span *= base, ++digits;
    const std::uint64_t limit = (UINT64_MAX / span) * span;

    std::string text(start);
    while (text.size() < length) {
        std::uint64_t r = nextRandom();
        while (r >= limit) r = nextRandom();
        for (std::size_t i = 0; i < digits && text.size() < length; ++i, r /= base) text.push_back(alphabet[r % base]);
    }
    return text;
}

} // namespace

std::string RandomNameFile(std::string_view prefix, std::size_t length) {
    return randomText(prefix, length, kStoreNameAlphabet);
}

std::string RandomID(std::size_t length) { return randomText({}, length, kIdAlphabet); }

std::string_view fileExtension(std::string_view path) {
    // Either separator: a Windows computer's paths use '\\', and on Linux an extension holding one
    // could not be a store name anyway.
    const auto slash = path.find_last_of("/\\");
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
    // The medium (FAT, exFAT) and a Windows computer must hold the store name of a file: an
    // extension they cannot ("a.", "a.b:c") is left out. (A folder's entry, "..", is never stored.)
    const auto slash = path.find_last_of("/\\");
    const bool folderEntry = path.substr(slash == std::string_view::npos ? 0 : slash + 1) == "..";
    if (!folderEntry && !windowsCanHoldName(name))
        name.resize(kStoreNameRandomLength);
    return name;
}

} // namespace tarvela
