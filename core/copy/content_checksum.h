#pragma once
// The content checksum that travels with a stored file: XXH3 with 64 bits (xxHash), fast enough to
// run on every byte that a send stores and a receive puts in place, and computed as the data passes
// by the copy, never in a pass of its own.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvela {

class ContentChecksum {
public:
    ContentChecksum();
    ~ContentChecksum();
    ContentChecksum(const ContentChecksum&) = delete;
    ContentChecksum& operator=(const ContentChecksum&) = delete;

    void reset();
    void add(const unsigned char* data, std::size_t size);
    std::uint64_t value() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The checksum of a whole buffer (tests, small data).
std::uint64_t contentChecksumOf(const void* data, std::size_t size);

} // namespace tarvela
