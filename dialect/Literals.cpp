#include "ExpressionWriter.h"
#include "Refusal.h"

#include <cstdio>
#include <vector>

namespace tabulant::dialect {

namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// Digit runs of a text and the separators between them.
struct Pieces {
    std::vector<int> numbers;
    std::vector<int> widths;
    std::string separators;
};

Pieces split(const std::string& s) {
    Pieces p;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] >= '0' && s[i] <= '9') {
            int v = 0, w = 0;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9' && w < 9)
                v = v * 10 + (s[i++] - '0'), ++w;
            p.numbers.push_back(v);
            p.widths.push_back(w);
        } else {
            p.separators += s[i++];
        }
    }
    return p;
}

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string Quote(std::string_view identifier) {
    std::string s = "\"";
    for (char c : identifier) s += c == '"' ? std::string("\"\"") : std::string(1, c);
    return s + "\"";
}

std::string TextLiteral(std::string_view text) {
    bool escape = false;
    for (char c : text) escape = escape || c == '\n' || c == '\r' || c == '\\';
    std::string s = escape ? "E'" : "'";
    for (char c : text) {
        if (c == '\'')
            s += "''";
        else if (escape && c == '\\')
            s += "\\\\";
        else if (c == '\n')
            s += "\\n";
        else if (c == '\r')
            s += "\\r";
        else
            s += c;
    }
    return s + "'";
}

// Access reads #…# in United States order whatever the locale: m/d/y, or y-m-d; a time alone is
// on 1899-12-30; two-digit years 00 to 29 are 20xx, 30 to 99 are 19xx.
std::string DateLiteral(const std::string& written) {
    const auto fail = [&]() -> std::string {
        throw Refusal("#" + written + "#", "not a date Access reads the same everywhere");
    };
    std::string datePart = written, timePart;
    // The time starts at the first number followed by ':'.
    const std::size_t colon = written.find(':');
    if (colon != std::string::npos) {
        std::size_t start = written.rfind(' ', colon);
        start = start == std::string::npos ? 0 : start + 1;
        datePart = written.substr(0, start);
        timePart = written.substr(start);
    }
    int year = 1899, month = 12, day = 30;
    const Pieces d = split(datePart);
    for (char c : d.separators)
        if (c != '/' && c != '-' && c != ' ') fail();
    if (d.numbers.size() == 3) {
        if (d.widths[0] == 4) {
            year = d.numbers[0], month = d.numbers[1], day = d.numbers[2];
        } else {
            month = d.numbers[0], day = d.numbers[1], year = d.numbers[2];
            if (d.widths[2] <= 2)
                year += year < 30 ? 2000 : 1900;
            else if (d.widths[2] != 4)
                fail();
        }
    } else if (!d.numbers.empty()) {
        fail();
    }
    int hour = 0, minute = 0, second = 0;
    if (!timePart.empty()) {
        std::string upper;
        for (char c : timePart) upper += char(c >= 'a' && c <= 'z' ? c - 32 : c);
        const bool pm = upper.find("PM") != std::string::npos;
        const bool am = upper.find("AM") != std::string::npos;
        const Pieces t = split(timePart);
        if (t.numbers.size() < 2 || t.numbers.size() > 3) fail();
        hour = t.numbers[0], minute = t.numbers[1],
        second = t.numbers.size() == 3 ? t.numbers[2] : 0;
        if (am || pm) {
            if (hour < 1 || hour > 12) fail();
            hour = hour % 12 + (pm ? 12 : 0);
        }
    }
    if (month < 1 || month > 12 || day < 1 || year < 100 || year > 9999 ||
        day > daysIn(year, month) || hour > 23 || minute > 59 || second > 59)
        fail();
    char out[80];
    std::snprintf(out, sizeof out, "TIMESTAMP '%04d-%02d-%02d %02d:%02d:%02d'", year, month, day,
                  hour, minute, second);
    return out;
}

std::string UsDateText(const std::string& accessDate) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    std::sscanf(DateLiteral(accessDate).c_str(), "TIMESTAMP '%d-%d-%d %d:%d:%d'", &y, &mo, &d, &h,
                &mi, &sec);
    char date[32], time[32];
    std::snprintf(date, sizeof date, "%d/%d/%d", mo, d, y);
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, mi, sec,
                  h < 12 ? "AM" : "PM");
    if (y == 1899 && mo == 12 && d == 30) return time;
    if (h == 0 && mi == 0 && sec == 0) return date;
    return std::string(date) + " " + time;
}

std::string UsDateTextSql(const std::string& timestamp) {
    const std::string& x = timestamp;
    return "(CASE WHEN (" + x + ")::date = DATE '1899-12-30' THEN to_char(" + x +
           ", 'FMHH12:MI:SS AM') WHEN (" + x + ")::time = TIME '00:00' THEN to_char(" + x +
           ", 'FMMM/FMDD/YYYY') ELSE to_char(" + x + ", 'FMMM/FMDD/YYYY FMHH12:MI:SS AM') END)";
}

ValueType Unify(ValueType a, ValueType b, const std::string& construct) {
    if (a == b) return a;
    if (a == ValueType::Null) return b;
    if (b == ValueType::Null) return a;
    auto numeric = [](ValueType t) {
        return t == ValueType::Integer || t == ValueType::Float || t == ValueType::Exact;
    };
    if (numeric(a) && numeric(b)) {
        if (a == ValueType::Float || b == ValueType::Float) return ValueType::Float;
        return ValueType::Exact;
    }
    throw Refusal(construct, "values of different types in one column");
}

std::string RoundHalfEven(const std::string& value, int digits) {
    // w is the value scaled so that the rounding is to a whole number; an exact half goes to
    // the even neighbour.
    const std::string scale = "1" + std::string(std::size_t(digits), '0');
    const std::string w = "((" + value + ")::numeric * " + scale + ")";
    return "((CASE WHEN abs(" + w + " - trunc(" + w + ")) = 0.5 AND mod(trunc(" + w +
           "), 2) = 0 THEN trunc(" + w + ") ELSE round(" + w + ") END) / " + scale + ")";
}

std::string LikePattern(const std::string& access, bool& regex) {
    regex = access.find('#') != std::string::npos || access.find('[') != std::string::npos;
    std::string out;
    if (!regex) {
        for (char c : access) {
            if (c == '*')
                out += '%';
            else if (c == '?')
                out += '_';
            else if (c == '%' || c == '_' || c == '\\')
                out += std::string("\\") + c;
            else
                out += c;
        }
        return out;
    }
    out = "^";
    for (std::size_t i = 0; i < access.size(); ++i) {
        const char c = access[i];
        if (c == '*') {
            out += ".*";
        } else if (c == '?') {
            out += '.';
        } else if (c == '#') {
            out += "[0-9]";
        } else if (c == '[') {
            const std::size_t end = access.find(']', i + 1);
            if (end == std::string::npos) throw Refusal(access, "a Like pattern with an open [");
            std::string set = access.substr(i + 1, end - i - 1);
            // [*] and the like match the character itself.
            if (set.size() == 1 && set[0] != '!') {
                if (std::string_view("\\.^$|()+{}*?[]").find(set[0]) != std::string_view::npos)
                    out += '\\';
                out += set;
            } else {
                if (!set.empty() && set[0] == '!') set[0] = '^';
                std::string escaped;
                for (char s : set)
                    escaped += (s == '\\' || s == ']') ? std::string("\\") + s : std::string(1, s);
                out += "[" + escaped + "]";
            }
            i = end;
        } else if (std::string_view("\\.^$|()+{}").find(c) != std::string_view::npos) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out + "$";
}

} // namespace tabulant::dialect
