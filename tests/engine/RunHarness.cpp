#include "RunHarness.h"

#include <QFile>
#include <regex>

namespace tabulant::testing {

RunHarness::RunHarness(engine::RunOptions options)
    : run({window, window, preview, prompts, events, connections, regional},
          std::string(engine::StartConvertingLocation), std::move(options)) {
    window.accessFile = folder.filePath("orders.accdb").toStdString();
    QFile file(QString::fromStdString(window.accessFile));
    file.open(QIODevice::WriteOnly);
}

fakes::InMemoryTable& RunHarness::AddTable(std::string name, std::vector<fakes::ColumnDef> columns,
                                           std::vector<std::vector<platform::Variant>> rows) {
    return factory.access.Add(std::move(name), std::move(columns), std::move(rows));
}

std::vector<int> RunHarness::ReportLines() const {
    static const std::regex at("Form1\\.PushButton7_Click at line ([0-9]+)\r\r");
    std::vector<int> lines;
    for (const std::string& text : prompts.ErrorReports()) {
        std::smatch m;
        lines.push_back(std::regex_search(text, m, at) ? std::stoi(m[1]) : -1);
    }
    return lines;
}

} // namespace tabulant::testing
