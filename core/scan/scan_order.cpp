#include "scan/scan_order.h"

#include <tuple>

namespace tarvela {
namespace {

// One step down a relative name: a folder on the way (rank 2), or the last part, which is the
// folder's own entry (rank 1) or a file (rank 0). Files come first in a folder, then its own
// entry, then its subfolders.
struct Step {
    int rank = 0;
    std::string_view name;
    friend auto operator<=>(const Step& x, const Step& y) {
        return std::tie(x.rank, x.name) <=> std::tie(y.rank, y.name);
    }
    friend bool operator==(const Step&, const Step&) = default;
};

Step nextStep(std::string_view& rest) {
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        const std::string_view last = rest;
        rest = {};
        return last == ".." ? Step{1, {}} : Step{0, last};
    }
    const Step folder{2, rest.substr(0, slash)};
    rest.remove_prefix(slash + 1);
    return folder;
}

} // namespace

bool scanOrderLess(std::string_view a, std::string_view b) {
    while (!a.empty() && !b.empty()) {
        const Step x = nextStep(a);
        const Step y = nextStep(b);
        if (x != y)
            return x < y;
    }
    return a.empty() && !b.empty();
}

} // namespace tarvela
