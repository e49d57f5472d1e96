#include "Access.h"

#include "db/access/CodePageName.h"
#include "platform/Error.h"
#include "platform/Recordset.h"
#include "platform/Wipe.h"
#include "shell/core/Helpers.h"

namespace tabulant::db {

std::string AccessConnectionString(const ConnectionFields& fields, std::string_view dataSource,
                                   std::string_view password) {
    // A name that is no known code page cannot come from the window's list or pass the terminal's
    // check; here it leaves the header's.
    const int codePage = CodePageFromName(fields.AccessCodePage()).value_or(0);
    if (!dataSource.empty()) return AccessConnectionString(dataSource, password, codePage);
    std::string stored = fields.AccessPassword();
    const platform::WipeOnExit forgetPassword(stored);
    return AccessConnectionString(fields.AccessFile(), stored, codePage);
}

std::optional<std::vector<std::string>> GetAccessTableNames(const Services& services,
                                                            std::string_view path) {
    auto connection = services.connections.CreateConnection();
    platform::Recordset rs;
    if (!shell::FileExists(path)) return std::nullopt;
    std::string connectionString = AccessConnectionString(services.fields);
    const platform::WipeOnExit forgetPassword(connectionString);
    connection->Open(connectionString);
    auto schema = connection->OpenSchema(platform::Connection::adSchemaTables);
    rs = platform::Recordset(std::move(schema));
    std::vector<std::string> names;
    while (!rs.Eof()) {
        const platform::FieldList fields = rs.Fields();
        const platform::Variant& type = fields.Item("TABLE_TYPE").value;
        if (type.kind() == platform::Variant::Kind::Text && type.payload() == "TABLE")
            names.push_back(fields.Item("TABLE_NAME").value.payload());
        rs.MoveNext();
    }
    rs.Close();
    connection->Close();
    return names;
}

void FillAccessTableList(const Services& services, platform::StringList& list,
                         std::string_view path, WhenMissing missing) {
    list.Clear();
    const auto names = GetAccessTableNames(services, path);
    if (!names) {
        constexpr const char* unable = "Unable to access the database";
        if (missing == WhenMissing::Throw) throw platform::Error(platform::errors::Generic, unable);
        services.prompts.Message(unable);
        return;
    }
    list.Clear();
    for (const std::string& name : *names) {
        services.events.yield();
        list.AddItem(name);
    }
}

} // namespace tabulant::db
