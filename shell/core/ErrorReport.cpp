#include "ErrorReport.h"

#include "Product.h"
#include "platform/Error.h"

namespace tabulant::shell {

namespace {
constexpr std::string_view Request = "Please email screenshot of this message to ";
} // namespace

std::string ErrorReportText(std::string_view location, int line, std::string_view description) {
    std::string text;
    text.reserve(description.size() + location.size() + 120);
    text.append(description);
    text.append("\r\n");
    text.append("in ").append(LocationPrefix).append(location).append(" ");
    text.append("at line ").append(std::to_string(line));
    text.append("\r\r");
    text.append(Request).append(SupportEmail);
    return text;
}

std::string ErrorReportLine(std::string_view text) {
    std::string request("\r\r");
    request.append(Request).append(SupportEmail);
    if (text.ends_with(request)) text.remove_suffix(request.size());
    std::string line;
    line.reserve(text.size());
    bool broken = false; // a line break since the last character kept
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            broken = true;
            continue;
        }
        // The indent of a continued line (drivers indent their hints with a tab).
        if (broken && (c == ' ' || c == '\t')) continue;
        if (broken && !line.empty()) line += ' ';
        broken = false;
        line += c;
    }
    return line;
}

void ReportApplicationError(platform::Prompts& prompts, std::string_view location, int line,
                            std::string_view description) {
    prompts.ErrorReport(ErrorReportText(location, line, description));
}

std::string DescriptionOf(const std::exception& e) {
    if (auto* error = dynamic_cast<const platform::Error*>(&e)) return error->description();
    return e.what();
}

} // namespace tabulant::shell
