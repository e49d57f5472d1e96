#include "RegionalText.h"

#include <stdexcept>

namespace tabulant::platform {

RegionalText::Conventions RegionalText::EnglishUS() { return {}; }
RegionalText::Conventions RegionalText::FromProcessLocale() { return {}; }
RegionalText::RegionalText(Conventions conventions) : c_(std::move(conventions)) {}

void RegionalText::AppendText(const Variant&, std::string&) const { throw std::logic_error("regional text"); }
std::string RegionalText::Text(const Variant& v) const { std::string s; AppendText(v, s); return s; }
bool RegionalText::IsNumeric(std::string_view) const { throw std::logic_error("regional text"); }
bool RegionalText::IsDate(std::string_view t) const { return ReadDate(t).has_value(); }
std::optional<DateTime> RegionalText::ReadDate(std::string_view) const { throw std::logic_error("regional text"); }
void RegionalText::AppendDate(const DateTime&, bool, std::string&) const { throw std::logic_error("regional text"); }
DateTime RegionalText::FromOleDate(double) { throw std::logic_error("regional text"); }
double RegionalText::ToOleDate(const DateTime&) { throw std::logic_error("regional text"); }

} // namespace tabulant::platform
