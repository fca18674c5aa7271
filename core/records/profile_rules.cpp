#include "records/profile_rules.h"

#include "platform/file_system.h"
#include "records/cp1251.h"
#include "records/random_names.h"
#include "records/store_layout.h"

namespace tarvela {
namespace {

void endWithSeparator(ShortString<255>& path) {
    if (!path.empty() && path.bytes().back() != '/')
        path = ShortString<255>::fromBytes(path.bytes() + '/');
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Absolute on either computer of a pair: a POSIX path, a drive path or a network path.
bool isAbsoluteOnEitherSystem(std::string_view path) {
    if (path.starts_with('/') || path.starts_with("\\\\"))
        return true;
    return path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

} // namespace

std::string newProfileId() {
    return RandomID(kProfileIdLength);
}

bool hasAnyFolder(const TProfilLine& profile) {
    for (const TFolderDual& pair : profile.FolderDual) {
        if (!pair.PathWork.empty() || !pair.PathHome.empty())
            return true;
    }
    return false;
}

ProfileProblem checkProfileInput(std::string_view name, const TProfilLine& profile) {
    if (name.empty())
        return ProfileProblem::NoName;
    if (!hasAnyFolder(profile))
        return ProfileProblem::NoFolder;
    return ProfileProblem::None;
}

void endFoldersWithSeparator(TProfilLine& profile) {
    for (TFolderDual& pair : profile.FolderDual) {
        endWithSeparator(pair.PathWork);
        endWithSeparator(pair.PathHome);
    }
}

void stampSavingComputer(TProfilLine& profile, std::string_view pcIdentBytes, bool workRole) {
    profile.IdPC = ShortString<25>::fromBytes(pcIdentBytes);
    profile.PC = ShortString<4>::fromText(workRole ? "work" : "home");
}

void ensureProfileFileWritable(const std::string& programPath) {
    platform::openForWriting(profileFilePath(programPath));
}

FolderTextProblem checkFolderText(std::string_view utf8) {
    if (!isAbsoluteOnEitherSystem(utf8))
        return FolderTextProblem::NotAbsolute;
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return FolderTextProblem::ControlCharacter;
    }
    const std::string bytes = utf8ToCp1251(utf8);
    if (cp1251ToUtf8(bytes) != utf8)
        return FolderTextProblem::NotInCodePage;
    if (bytes.size() + (bytes.ends_with('/') ? 0 : 1) > ShortString<255>::kCapacity)
        return FolderTextProblem::TooLong;
    return FolderTextProblem::None;
}

} // namespace tarvela
