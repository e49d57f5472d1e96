#include "PreviewText.h"

#include "platform/AsciiText.h"
#include "platform/Hex.h"
#include "shell/core/Product.h"

namespace tabulant::ui {

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsStoppingFailure(std::string_view description) {
    return platform::FindNoCase(description, "sqlexception") != std::string_view::npos;
}

std::string PercentEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(ch);
        } else {
            out.push_back('%');
            platform::AppendHex(std::string_view(&ch, 1), out, platform::HexCase::Upper);
        }
    }
    return out;
}

std::string ErrorMailLink(std::string_view errorText) {
    std::string body = "Here is the error message that I get: \n";
    body.append(errorText);
    std::string crlf;
    crlf.reserve(body.size() + 16);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r') {
            if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
            crlf.append("\r\n");
        } else if (body[i] == '\n') {
            crlf.append("\r\n");
        } else {
            crlf.push_back(body[i]);
        }
    }
    std::string link = "mailto:";
    link.append(shell::SupportEmail);
    link.append("?subject=").append(PercentEncode(shell::ProductName));
    link.append("&body=").append(PercentEncode(crlf));
    return link;
}

} // namespace tabulant::ui
