#include "ErrorReport.h"

#include "Product.h"
#include "platform/Error.h"

namespace tabulant::shell {

std::string ErrorReportText(std::string_view location, int line, std::string_view description) {
    std::string text;
    text.reserve(description.size() + location.size() + 120);
    text.append(description);
    text.append("\r\n");
    text.append("in ").append(LocationPrefix).append(location).append(" ");
    text.append("at line ").append(std::to_string(line));
    text.append("\r\r");
    text.append("Please email screenshot of this message to ").append(SupportEmail);
    return text;
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
