#include "AccessProblem.h"

#include "db/access/AccessErrors.h"
#include "db/access/JetHeader.h"
#include "platform/Error.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulant::db {

namespace {

enum class Look { Missing, NotReadable, Signed, Unsigned };

// The file as the system and its first bytes show it.
Look LookAt(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == EACCES ? Look::NotReadable : Look::Missing;
    if (!S_ISREG(st.st_mode)) return Look::Missing; // a folder, say: no file there
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Look::NotReadable;
    std::uint8_t first[20] = {};
    const ssize_t got = ::read(fd, first, sizeof first);
    ::close(fd);
    if (got < 0) return Look::NotReadable;
    return HasJetSignature(first, static_cast<std::size_t>(got)) ? Look::Signed : Look::Unsigned;
}

} // namespace

AccessProblem ClassifyAccessFailure(std::string_view path, const std::exception& failure,
                                    bool passwordGiven) noexcept {
    try {
        const auto* error = dynamic_cast<const platform::Error*>(&failure);
        if (error && error->number() == accesserrors::InvalidPassword)
            return passwordGiven ? AccessProblem::PasswordWrong : AccessProblem::PasswordNeeded;
        switch (LookAt(std::string(path))) {
        case Look::Missing:
            return AccessProblem::Missing;
        case Look::NotReadable:
            return AccessProblem::NotReadable;
        case Look::Unsigned:
            return AccessProblem::NotAccess;
        case Look::Signed:
            break;
        }
        const std::string_view text = failure.what();
        return text.starts_with("Unrecognized database format") ? AccessProblem::Damaged
                                                                : AccessProblem::Other;
    } catch (...) {
        return AccessProblem::Other;
    }
}

} // namespace tabulant::db
