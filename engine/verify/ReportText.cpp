#include "ReportText.h"

#include "platform/Hex.h"

namespace tabulant::engine::verify {

namespace {

std::string count(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string rowsPart(const TableCheck& t) {
    if (t.state == TableCheck::State::Missing || t.accessRows == t.serverRows)
        return count(t.accessRows, "row", "rows") +
               (t.state == TableCheck::State::Missing ? " in Access" : "");
    const std::int64_t gap = t.accessRows - t.serverRows;
    return count(t.accessRows, "row", "rows") + " in Access, " + std::to_string(t.serverRows) +
           " in PostgreSQL (" + std::to_string(gap > 0 ? gap : -gap) +
           (gap > 0 ? " missing)" : " extra)");
}

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                platform::AppendHex(std::string_view(&c, 1), out);
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendHtml(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

void cell(std::string& out, std::string_view text, bool header = false) {
    out += header ? "<th align=\"left\">" : "<td>";
    appendHtml(out, text);
    out += header ? "</th>" : "</td>";
}

std::string sizeText(std::int64_t size) {
    if (size < 0) return "unknown";
    return count(size, "byte", "bytes");
}

} // namespace

std::string StateWord(TableCheck::State state) {
    switch (state) {
    case TableCheck::State::Identical:
        return "identical";
    case TableCheck::State::Different:
        return "different";
    case TableCheck::State::Missing:
        return "missing";
    case TableCheck::State::NotVerified:
        return "not verified";
    }
    return {};
}

std::string SumText(std::uint64_t sum) {
    std::string text;
    platform::AppendHexNumber(sum, 16, text);
    return text;
}

std::string TableLine(const TableCheck& t) {
    std::string line = t.name + ": ";
    switch (t.state) {
    case TableCheck::State::NotVerified:
        return line + "not verified: " + t.problem;
    case TableCheck::State::Missing:
        return line + rowsPart(t) + ", no such table in PostgreSQL";
    case TableCheck::State::Identical:
        return line + rowsPart(t) + ", " +
               count(static_cast<std::int64_t>(t.columns.size()), "column", "columns") +
               ": identical";
    case TableCheck::State::Different:
        break;
    }
    line += rowsPart(t);
    if (t.columns.empty() && t.accessColumns != 0) return line + ": " + t.problem;
    line += ", " + count(static_cast<std::int64_t>(t.columns.size()), "column", "columns") + ": ";
    const std::vector<std::string> differing = t.DifferingColumns();
    if (!differing.empty())
        line += std::to_string(differing.size()) + " differ, first " + differing.front();
    else if (t.accessRowSum != t.serverRowSum)
        line += "values moved between rows";
    else
        line += "rows differ";
    if (!t.problem.empty()) line += " (" + t.problem + ")";
    return line;
}

std::string SummaryLine(const VerifyReport& r) {
    if (!r.problem.empty()) return "Not verified: " + r.problem;
    std::string line = count(static_cast<std::int64_t>(r.tables.size()), "table", "tables") +
                       " verified: " + std::to_string(r.Count(TableCheck::State::Identical)) +
                       " identical";
    for (const auto state :
         {TableCheck::State::Different, TableCheck::State::Missing, TableCheck::State::NotVerified})
        if (const int n = r.Count(state); n > 0)
            line += ", " + std::to_string(n) + " " + StateWord(state);
    return line;
}

std::string ReportJson(const VerifyReport& r) {
    std::string out = "{\n  \"file\": ";
    appendJsonString(out, r.file);
    out += ",\n  \"size\": " + std::to_string(r.fileSize) + ",\n  \"sha256\": ";
    appendJsonString(out, r.fileSha256);
    for (const auto& [key, value] :
         {std::pair{"server", &r.server}, std::pair{"port", &r.port},
          std::pair{"database", &r.database}, std::pair{"user", &r.user},
          std::pair{"schema", &r.schema}, std::pair{"mapping", &r.mapping},
          std::pair{"time", &r.time}, std::pair{"problem", &r.problem}}) {
        out += ",\n  \"" + std::string(key) + "\": ";
        appendJsonString(out, *value);
    }
    out += ",\n  \"status\": " + std::to_string(r.ExitStatus()) + ",\n  \"summary\": ";
    appendJsonString(out, SummaryLine(r));
    out += ",\n  \"tables\": [";
    for (std::size_t i = 0; i < r.tables.size(); ++i) {
        const TableCheck& t = r.tables[i];
        out += i == 0 ? "\n    {\"name\": " : ",\n    {\"name\": ";
        appendJsonString(out, t.name);
        out += ", \"serverTable\": ";
        appendJsonString(out, t.serverTable);
        out += ", \"state\": ";
        appendJsonString(out, StateWord(t.state));
        out += ", \"accessRows\": " + std::to_string(t.accessRows) +
               ", \"serverRows\": " + std::to_string(t.serverRows) + ", \"rowChecksum\": {" +
               "\"access\": \"" + SumText(t.accessRowSum) + "\", \"server\": \"" +
               SumText(t.serverRowSum) + "\"}, \"problem\": ";
        appendJsonString(out, t.problem);
        out += ", \"line\": ";
        appendJsonString(out, TableLine(t));
        out += ",\n     \"columns\": [";
        for (std::size_t k = 0; k < t.columns.size(); ++k) {
            const ColumnCheck& c = t.columns[k];
            out += k == 0 ? "\n      {\"name\": " : ",\n      {\"name\": ";
            appendJsonString(out, c.name);
            out += ", \"type\": ";
            appendJsonString(out, c.type);
            out += std::string(", \"identical\": ") + (c.Differs() ? "false" : "true") +
                   ", \"accessNulls\": " + std::to_string(c.access.nulls) +
                   ", \"serverNulls\": " + std::to_string(c.server.nulls) +
                   ", \"accessChecksum\": \"" + SumText(c.access.sum) +
                   "\", \"serverChecksum\": \"" + SumText(c.server.sum) + "\"}";
        }
        out += t.columns.empty() ? "]}" : "\n     ]}";
    }
    out += r.tables.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string ReportHtml(const VerifyReport& r) {
    std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Verification "
                      "report: ";
    appendHtml(out, r.file);
    out += "</title></head>\n<body>\n<h1>Verification report</h1>\n<p><b>";
    appendHtml(out, SummaryLine(r));
    out += "</b></p>\n<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">\n";
    const std::string where = r.server + (r.port.empty() ? "" : ":" + r.port);
    for (const auto& [label, value] :
         {std::pair<const char*, std::string>{"Access file", r.file},
          {"Size", sizeText(r.fileSize)},
          {"SHA-256", r.fileSha256.empty() ? "not read" : r.fileSha256},
          {"PostgreSQL server", where},
          {"Database", r.database},
          {"User", r.user},
          {"Schema", r.schema},
          {"Column mapping", r.mapping},
          {"Verified at", r.time}}) {
        out += "<tr>";
        cell(out, label, true);
        cell(out, value);
        out += "</tr>\n";
    }
    out += "</table>\n<h2>Tables</h2>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
           "width=\"100%\">\n"
           "<tr>";
    for (const char* heading :
         {"Table", "Rows in Access", "Rows in PostgreSQL", "Columns that differ", "Result"})
        cell(out, heading, true);
    out += "</tr>\n";
    for (const TableCheck& t : r.tables) {
        std::string differing;
        for (const std::string& name : t.DifferingColumns())
            differing += (differing.empty() ? "" : ", ") + name;
        out += "<tr>";
        cell(out, t.name);
        cell(out, std::to_string(t.accessRows));
        cell(out,
             t.state == TableCheck::State::Missing ? "no table" : std::to_string(t.serverRows));
        cell(out, differing);
        cell(out, StateWord(t.state));
        out += "</tr>\n";
    }
    out += "</table>\n";
    for (const TableCheck& t : r.tables) {
        out += "<h3>";
        appendHtml(out, t.name);
        out += "</h3>\n<p>";
        appendHtml(out, TableLine(t));
        out += "<br>Row checksum: Access " + SumText(t.accessRowSum) + ", PostgreSQL " +
               SumText(t.serverRowSum) + "</p>\n";
        if (t.columns.empty()) continue;
        out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n<tr>";
        for (const char* heading : {"Column", "Type", "Nulls in Access", "Nulls in PostgreSQL",
                                    "Checksum in Access", "Checksum in PostgreSQL", "Result"})
            cell(out, heading, true);
        out += "</tr>\n";
        for (const ColumnCheck& c : t.columns) {
            out += "<tr>";
            cell(out, c.name);
            cell(out, c.type);
            cell(out, std::to_string(c.access.nulls));
            cell(out, std::to_string(c.server.nulls));
            cell(out, SumText(c.access.sum));
            cell(out, SumText(c.server.sum));
            cell(out, c.Differs() ? "different" : "identical");
            out += "</tr>\n";
        }
        out += "</table>\n";
    }
    out += "</body></html>\n";
    return out;
}

} // namespace tabulant::engine::verify
