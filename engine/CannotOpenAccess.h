#pragma once

#include "db/AccessProblem.h"

#include <string>
#include <string_view>

namespace tabulant::engine {

// What the user is told when the Access file does not open: what is wrong in the user's terms
// and what to do, an empty line, and the reader's own words.
inline std::string CannotOpenAccessText(db::AccessProblem problem, std::string_view description) {
    using P = db::AccessProblem;
    std::string text;
    switch (problem) {
    case P::Missing:
        text = "There is no file at this path: choose the Access database with \"...\".";
        break;
    case P::NotReadable:
        text = "This file cannot be read: your account has no right to read it. Ask its owner "
               "for that right, or convert a copy of your own.";
        break;
    case P::NotAccess:
        text = "This file is not an Access database: choose an .mdb or .accdb file.";
        break;
    case P::Damaged:
        text = "This Access database is damaged: its first pages cannot be read. Repair it in "
               "Access, or convert a backup copy.";
        break;
    case P::PasswordNeeded:
        text = "This Access database is protected by a password: type it in 'Password (if "
               "required)' and start converting again.";
        break;
    case P::PasswordWrong:
        text = "The password in 'Password (if required)' is not this database's password: "
               "correct it and start converting again.";
        break;
    case P::Other:
        text = "This Access database cannot be opened.";
        break;
    }
    if (!description.empty()) text.append("\r\r").append(description);
    return text;
}

} // namespace tabulant::engine
