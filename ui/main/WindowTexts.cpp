#include "WindowTexts.h"
#include "platform/qt/QtText.h"

#include "shell/core/Product.h"

namespace tabulant::ui {

std::string ShortApplicationTitle(std::string_view productName) {
    std::string title(productName);
    do {
        const auto blank = title.rfind(' ');
        if (blank == std::string::npos) break;
        title.resize(blank);
    } while (title.size() > 40);
    return title;
}

QStringList QtNameFilters(std::string_view pairs) {
    const QStringList parts = platform::ToQString(pairs).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) continue;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

std::string ConnectionHelpFirstPart() {
    return "If you can not connect, please try downloading pgAdmin III. ";
}

std::string ConnectionHelpSecondPart() {
    return "If you can not connect with that software, you know the login information you are "
           "providing here is incorrect.";
}

std::string GeneralHelpText() {
    std::string text = "This software transfers text-based and numeric fields but does not handle "
                       "binary / pictures fields.";
    text += "\r\n\r\n";
    text += "Use SQL Preview if your tables contains less than 32767 rows.";
    text += "\r\n\r\n";
    text.append("Questions? Please contact Team ").append(shell::MakerName).append(" at ");
    text += MakerContactPage;
    return text;
}

} // namespace tabulant::ui
