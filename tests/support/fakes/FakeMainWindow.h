#pragma once

#include "engine/RunPorts.h"
#include "platform/StringList.h"

#include <string>
#include <vector>

namespace tabulant::fakes {

// The main window as the conversion run sees it: settings as public fields, the two hidden lists,
// and a log of every pointer and progress change in the order made ("pointer 11",
// "value 50", "text Please wait.. Processing table T").
class FakeMainWindow final : public engine::MainWindowPort {
public:
    std::string accessFile = "/data/orders.mdb", accessPassword;
    std::string server = "localhost", port = "5432", user = "tester", password, database = "db";
    bool previewEnabled = false;
    bool option1 = true;  // per file
    bool option2 = false; // per table
    platform::VectorStringList list1, list2;

    std::vector<int> pointers;
    std::vector<int> progressValues;
    std::vector<std::string> progressTexts;
    std::vector<std::string> log;

    std::string AccessFile() const override { return accessFile; }
    std::string AccessPassword() const override { return accessPassword; }
    std::string PostgreSQLServer() const override { return server; }
    std::string PostgreSQLPort() const override { return port; }
    std::string PostgreSQLUser() const override { return user; }
    std::string PostgreSQLPassword() const override { return password; }
    std::string PostgreSQLDatabase() const override { return database; }

    bool PreviewEnabled() const override { return previewEnabled; }
    bool Option1Selected() const override { return option1; }
    bool Option2Selected() const override { return option2; }
    platform::StringList& List1() override { return list1; }
    platform::StringList& List2() override { return list2; }

    void SetMousePointer(int state) override;
    void SetProgressValue(int percent) override;
    void SetProgressText(std::string_view text) override;

    // Modes as the user sets them on the window.
    void Direct() { previewEnabled = false; }
    void PreviewPerFile() {
        previewEnabled = true;
        option1 = true;
        option2 = false;
    }
    void PreviewPerTable() {
        previewEnabled = true;
        option1 = false;
        option2 = true;
    }
};

} // namespace tabulant::fakes
