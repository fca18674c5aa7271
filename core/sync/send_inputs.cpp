#include "sync/send_inputs.h"

#include "records/agreed_state.h"
#include "records/byte_stream.h"

namespace tarvela {
namespace {

// Holds the lines of a table's checks for the caller's thread; shows nothing itself.
class HeldLines : public QuietRunHost {
public:
    explicit HeldLines(std::vector<std::pair<std::string, std::uint32_t>>& lines) : lines_(lines) {}
    void echo(std::string_view text, std::uint32_t color) override { lines_.emplace_back(text, color); }

private:
    std::vector<std::pair<std::string, std::uint32_t>>& lines_;
};

} // namespace

SendInputs::SendInputs(std::string agreedFile, std::string workFolder, std::string homeFolder, Side side,
                       std::string otherTable, std::string otherFolder) {
    done_ = std::async(std::launch::async, [=, this] {
        read(agreedFile, workFolder, homeFolder, side, otherTable, otherFolder);
    });
}

SendInputs::~SendInputs() {
    if (done_.valid())
        done_.wait();
}

void SendInputs::read(const std::string& agreedFile, const std::string& workFolder, const std::string& homeFolder,
                      Side side, const std::string& otherTable, const std::string& otherFolder) {
    try {
        // The file's bytes go as soon as the lookup holds what it needs of them.
        const std::vector<unsigned char> file = readWholeFileOrNothing(agreedFile, kMaxAgreedStateBytes);
        agreed_.lookup = AgreedLookup::read(file, workFolder, homeFolder, side, &agreed_.generation);
    } catch (...) {
        agreedFailure_ = std::current_exception();
    }
    if (otherTable.empty())
        return;
    try {
        HeldLines lines(otherLines_);
        CreateListOfFiles(other_, otherTable, otherFolder, &lines);
    } catch (...) {
        otherFailure_ = std::current_exception();
    }
}

SendInputs::Agreed SendInputs::takeAgreed() {
    done_.wait();
    if (agreedFailure_)
        std::rethrow_exception(agreedFailure_);
    return std::move(agreed_);
}

PackedFileList SendInputs::takeOtherTable(RunHost& host) {
    done_.wait();
    for (const auto& [text, color] : otherLines_)
        host.echo(text, color);
    otherLines_.clear();
    if (otherFailure_)
        std::rethrow_exception(otherFailure_);
    return std::move(other_);
}

} // namespace tarvela
