#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace tabulant::ui {

// The application title made from a product name: cut at the last blank, at least once and
// again until at most 40 characters remain. A name without any blank is kept whole.
std::string ShortApplicationTitle(std::string_view productName);

// A file-dialog filter written as pairs of description and pattern separated by "|" (with an
// optional trailing "|"), as Qt name filters: "Description (pattern)". A pattern list separated
// by ";" becomes Qt's blank-separated list.
QStringList QtNameFilters(std::string_view pairs);

// The texts of the two help buttons, the connection help in its three parts.
inline constexpr std::string_view PgAdminDownloadPage = "https://www.pgadmin.org/download/";
inline constexpr std::string_view MakerContactPage = "https://www.quorvane.com/contact";
std::string ConnectionHelpFirstPart();
std::string ConnectionHelpSecondPart();
std::string GeneralHelpText();

} // namespace tabulant::ui
