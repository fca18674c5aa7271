// Runs a fuzz target without libFuzzer: every seed, every file named on the command line, and a
// number of random mutations of the seeds. Used by CTest (briefly) and to write the seed corpus:
//   fuzz_X [--mutations N] [--write-seeds DIR] [FILE ...]     (see also TARVELA_FUZZ_LAST below)
#include "fuzz_target.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace {

// With TARVELA_FUZZ_LAST=FILE each input is written there before it runs, so the one that broke
// an invariant can be replayed.
void runOne(const std::string& input) {
    if (const char* last = std::getenv("TARVELA_FUZZ_LAST")) std::ofstream(last, std::ios::binary) << input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

std::string mutate(std::string s, std::mt19937& rng) {
    std::uniform_int_distribution<int> op(0, 4);
    const int steps = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < steps; ++i) {
        const std::size_t at = s.empty() ? 0 : rng() % s.size();
        switch (op(rng)) {
        case 0: // flip a byte
            if (!s.empty()) s[at] = static_cast<char>(rng());
            break;
        case 1: // insert a byte
            s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(rng()));
            break;
        case 2: // cut the tail
            s.resize(at);
            break;
        case 3: // duplicate a slice
            if (!s.empty()) s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 64));
            break;
        default: // an interesting byte
            if (!s.empty()) s[at] = "\0\xff/.\\{}*;"[rng() % 10];
            break;
        }
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    long mutations = 200;
    const std::vector<std::string> seeds = fuzzSeeds();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mutations") == 0 && i + 1 < argc) {
            mutations = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--write-seeds") == 0 && i + 1 < argc) {
            const std::string dir = argv[++i];
            for (std::size_t k = 0; k < seeds.size(); ++k) {
                std::ofstream(dir + "/seed" + std::to_string(k), std::ios::binary) << seeds[k];
            }
            return 0;
        } else {
            std::ifstream in(argv[i], std::ios::binary);
            runOne(std::string(std::istreambuf_iterator<char>(in), {}));
        }
    }
    for (const auto& seed : seeds) runOne(seed);
    std::mt19937 rng(12345);
    for (long m = 0; m < mutations && !seeds.empty(); ++m) runOne(mutate(seeds[rng() % seeds.size()], rng));
    std::printf("%zu seeds and %ld mutations: no invariant broken\n", seeds.size(), mutations);
    return 0;
}
