#include "AccessErrors.h"

namespace tabulant::db {

using platform::Error;

Error NotValidPassword() { return Error(accesserrors::InvalidPassword, "Not a valid password."); }

Error UnrecognizedFormat(std::string_view path) {
    return Error(accesserrors::Failure,
                 "Unrecognized database format '" + std::string(path) + "'.");
}

Error CannotOpenFile(std::string_view path) {
    return Error(accesserrors::Failure, "Could not find file '" + std::string(path) + "'.");
}

Error CannotReadFile(std::string_view path) {
    return Error(accesserrors::Failure, "The database engine cannot open the file '" +
                                            std::string(path) +
                                            "'. You need permission to view its data.");
}

Error DamagedTable(std::string_view table) {
    return Error(accesserrors::Failure,
                 "The table '" + std::string(table) + "' is damaged and cannot be read.");
}

Error DamagedIndexes(std::string_view table) {
    return Error(accesserrors::Failure, "The indexes of the table '" + std::string(table) +
                                            "' are damaged and cannot be read.");
}

Error DamagedRelationship(std::string_view name) {
    return Error(accesserrors::Failure,
                 "The relationship '" + std::string(name) + "' is damaged and cannot be read.");
}

Error DamagedFields(std::string_view table, const std::vector<std::string>& fields) {
    std::string names;
    for (const std::string& f : fields) names += (names.empty() ? "'" : ", '") + f + "'";
    const bool one = fields.size() == 1;
    return Error(
        accesserrors::Failure,
        std::string(one ? "The values of the field " : "The values of the fields ") + names +
            " in the table '" + std::string(table) + "' are damaged and cannot be read; " +
            (one ? "the field is" : "the fields are") + " left empty (Null) in every row.");
}

Error NoSuchTable(std::string_view table) {
    return Error(accesserrors::NoSuchTable,
                 "The database engine cannot find the input table or query '" + std::string(table) +
                     "'. Make sure it exists and that its name is spelled correctly.");
}

Error UnsupportedStatement(std::string_view statement) {
    return Error(accesserrors::Syntax, "The Access reader runs only SELECT * FROM <table>, not '" +
                                           std::string(statement) + "'.");
}

} // namespace tabulant::db
