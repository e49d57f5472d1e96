#pragma once

#include "db/ConnectionFields.h"
#include "platform/Connection.h"

#include <string>
#include <vector>

namespace tabulant::cli {

// A typed run that replaces a table drops it with CASCADE, which takes along the foreign keys of
// other tables that refer to it, and the table's own keys towards tables the run does not
// convert; the run itself makes only those between the tables it converted. This notes the keys
// before the run and puts back afterwards every one that is gone.
// Thread: the one thread of the program.
class ForeignKeyKeeper {
public:
    explicit ForeignKeyKeeper(platform::ConnectionFactory& connections)
        : connections_(connections) {}

    // Notes the foreign keys in `schema` (empty: the current schema) that belong to, or refer
    // to, any of the tables (names as the server keeps them). Throws platform::Error when the
    // server says no.
    void Note(const db::ConnectionFields& server, const std::vector<std::string>& tables,
              const std::string& schema = {});
    // Makes again each noted key that no longer exists (neither by its name nor by the same
    // definition on its table). Returns those that could not be made, each as its table and
    // name with the server's reason.
    std::vector<std::string> Restore(const db::ConnectionFields& server);

private:
    struct Key {
        std::string name, table, definition;
    };
    std::vector<Key> keys(platform::Connection& connection, const std::string& where);
    std::string namespaceOid() const;

    platform::ConnectionFactory& connections_;
    std::vector<Key> noted_;
    std::string schema_; // as noted
};

} // namespace tabulant::cli
