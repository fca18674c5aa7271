#include "profile_loading.h"

#include "base/messages.h"
#include "records/profile_file.h"
#include "records/store_layout.h"

namespace tarvela::cli {

ProfilArray loadProfilesSaying(const std::string& programPath, std::ostream& err) {
    ProfileFileContent content = readProfileFile(programPath);
    // A notice, not a failure: the whole records are there to use. It goes to the error stream so
    // that the output of "list" stays one line per profile.
    if (content.partialRecordBytes > 0)
        err << "tarvela-cli: " << msg::kProfileFilePartialRecord << profileFilePath(programPath) << '\n';
    return std::move(content.profiles);
}

} // namespace tarvela::cli
