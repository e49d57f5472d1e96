#pragma once

#include "db/ConnectionFields.h"
#include "engine/RunPorts.h"
#include "platform/StringList.h"

#include <string>
#include <vector>

namespace tabulant::fakes {

// The main window as the conversion run sees it: settings as public fields, the two table lists,
// and a log of every busy and progress change in the order made, busy written as the window's
// pointer states ("pointer 11", "value 50", "text Please wait.. Processing table T"), and the
// notices shown.
class FakeMainWindow final : public engine::RunSettings, public engine::RunView {
public:
    std::string accessFile = "/data/orders.mdb", accessPassword;
    std::string server = "localhost", port = "5432", user = "tester", password, database = "db";
    engine::RunMode mode = engine::RunMode::Direct;
    engine::PolicyKind policy = engine::PolicyKind::Specified;
    bool bulk = false;
    std::string schema;
    platform::VectorStringList list1, list2;

    std::vector<int> progressValues;
    std::vector<std::string> progressTexts;
    std::vector<std::string> log;
    std::vector<std::string> notices;

    std::string AccessFile() const override { return accessFile; }
    std::string AccessPassword() const override { return accessPassword; }
    std::string PostgreSQLServer() const override { return server; }
    std::string PostgreSQLPort() const override { return port; }
    std::string PostgreSQLUser() const override { return user; }
    std::string PostgreSQLPassword() const override { return password; }
    std::string PostgreSQLDatabase() const override { return database; }
    engine::RunMode Mode() const override { return mode; }
    engine::PolicyKind Policy() const override { return policy; }
    bool LoadRowsInBulk() const override { return bulk; }
    std::string Schema() const override { return schema; }

    platform::StringList& ExistingTables() override { return list1; }
    platform::StringList& SourceTables() override { return list2; }
    void SetBusy(bool busy) override;
    void SetProgressValue(int percent) override;
    void SetProgressText(std::string_view text) override;
    void Notice(std::string_view text) override { notices.emplace_back(text); }

    void Direct() { mode = engine::RunMode::Direct; }
    void PreviewPerFile() { mode = engine::RunMode::PreviewPerFile; }
    void PreviewPerTable() { mode = engine::RunMode::PreviewPerTable; }
    bool Previewing() const { return mode != engine::RunMode::Direct; }
    // The five PostgreSQL fields taken from `f`, a test server's say.
    void PointAt(const db::FixedConnectionFields& f) {
        server = f.server;
        port = f.port;
        user = f.user;
        password = f.password;
        database = f.database;
    }
};

} // namespace tabulant::fakes
