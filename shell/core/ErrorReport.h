#pragma once

#include "platform/Prompts.h"

#include <exception>
#include <string>
#include <string_view>

namespace tabulant::shell {

// The text of the standard error report for a failure at `line` of the handler `location`
// (such as "Form3.PushButton2_Click").
std::string ErrorReportText(std::string_view location, int line, std::string_view description);

// The text of a standard error report as one line, for a terminal: each run of line breaks
// between two parts, with the indent after it, becomes one blank (so the description and "in ... at
// line N" follow each other) and the closing request for a screenshot is left out. Other texts are
// only made one line the same way.
std::string ErrorReportLine(std::string_view reportText);

// Shows the standard error report and returns when the user has closed it.
void ReportApplicationError(platform::Prompts& prompts, std::string_view location, int line,
                            std::string_view description);

// The description a caught failure shows: the data-access error's own text, or what().
std::string DescriptionOf(const std::exception& e);

} // namespace tabulant::shell
