#pragma once

#include <string>
#include <string_view>

namespace tabulant::ui {

// Removes leading and trailing blanks (the space character only, as the preview's emptiness tests
// have always done: a line of tabs is still sent to the server).
std::string_view TrimSpaces(std::string_view text);

// True when a failed statement's description makes the execution stop at its line: the
// description contains "SQLException" in any letter case.
bool IsStoppingFailure(std::string_view description);

// The mailto: link that opens a message to the support address with the error text as its body.
// Subject and body are percent-encoded (UTF-8, everything but the unreserved characters), and
// every line break of the body is sent as CR LF, so the text arrives whole whatever it holds.
std::string ErrorMailLink(std::string_view errorText);

// Percent-encodes every byte except A-Z a-z 0-9 - . _ ~.
std::string PercentEncode(std::string_view text);

} // namespace tabulant::ui
