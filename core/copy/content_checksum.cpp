#include "copy/content_checksum.h"

#include <new>
#include <xxhash.h>

namespace tarvela {

struct ContentChecksum::State {
    XXH3_state_t* xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

ContentChecksum::ContentChecksum() : state_(std::make_unique<State>()) {
    if (state_->xxh == nullptr)
        throw std::bad_alloc();
    reset();
}

ContentChecksum::~ContentChecksum() = default;

void ContentChecksum::reset() {
    XXH3_64bits_reset(state_->xxh);
}

void ContentChecksum::add(const unsigned char* data, std::size_t size) {
    XXH3_64bits_update(state_->xxh, data, size);
}

std::uint64_t ContentChecksum::value() const {
    return XXH3_64bits_digest(state_->xxh);
}

std::uint64_t contentChecksumOf(const void* data, std::size_t size) {
    return XXH3_64bits(data, size);
}

} // namespace tarvela
