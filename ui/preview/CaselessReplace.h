#pragma once

#include <string>
#include <string_view>

namespace tabulant::ui {

// Replaces the first occurrence of a text in a line, found without regard to letter case, by a
// replacement inserted as typed. Texts are UTF-8. When the line and the find text are plain ASCII
// they are compared byte by byte; otherwise by Unicode case folding (QString::indexOf with
// Qt::CaseInsensitive), which gives the same answer for ASCII but costs a conversion, so the
// conversion is only paid for lines that hold other characters.
class CaselessReplace {
public:
    CaselessReplace(std::string_view find, std::string_view replacement);

    // Writes the new line into `out` and answers true when the find text occurs; an empty find
    // text occurs nowhere.
    bool apply(std::string_view line, std::string& out) const;

private:
    bool applyUnicode(std::string_view line, std::string& out) const;

    std::string find_;
    std::string lowerFind_; // ASCII letters lowered; used only when find_ is ASCII
    std::string replacement_;
    bool findIsAscii_;
};

} // namespace tabulant::ui
