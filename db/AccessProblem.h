#pragma once

#include <exception>
#include <string_view>

namespace tabulant::db {

// Why an Access file did not open, told apart by what the user can do about it.
enum class AccessProblem {
    Missing,        // no file at that path (nothing, or a folder)
    NotReadable,    // there, but this account may not read it
    NotAccess,      // readable, but not an Access database at all
    Damaged,        // an Access database whose first pages cannot be read
    PasswordNeeded, // protected, and no password was given
    PasswordWrong,  // protected, and the password given is not its password
    Other,          // anything else the reader refused (an encryption it does not know, ...)
};

// Judges `failure`, thrown while opening the file at `path`, by the failure and by a look at
// the file itself. Never throws.
AccessProblem ClassifyAccessFailure(std::string_view path, const std::exception& failure,
                                    bool passwordGiven) noexcept;

} // namespace tabulant::db
