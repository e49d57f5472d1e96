#pragma once

#include "AccessWriter.h"
#include "db/Access.h"
#include "db/access/AccessConnection.h"
#include "platform/Recordset.h"

#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <string>

namespace tabulant {

// A temporary folder for fixture files written by our own Access writer.
class AccessFixtureDir {
public:
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    // A path to an existing (empty) file.
    std::string File(const std::string& name) const {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary).flush();
        return p;
    }

private:
    QTemporaryDir dir_;
};

// An open Access connection to a file, with a record set over one table.
struct OpenedTable {
    std::unique_ptr<platform::Connection> connection;
    platform::Recordset rows;
};

inline std::unique_ptr<platform::Connection> OpenAccess(const std::string& path,
                                                        const std::string& password = {}) {
    db::FixedConnectionFields fields;
    fields.accessFile = path;
    fields.accessPassword = password;
    auto c = db::CreateAccessConnection();
    c->Open(db::AccessConnectionString(fields));
    return c;
}

inline OpenedTable OpenTable(const std::string& path, const std::string& table,
                             const std::string& password = {}) {
    OpenedTable t;
    t.connection = OpenAccess(path, password);
    t.rows.Open("SELECT * FROM `" + table + "`", *t.connection);
    return t;
}

} // namespace tabulant
