#include "PasswordFile.h"

#include "platform/Wipe.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tabulant::db {

namespace {

std::string loginName() {
    if (const passwd* account = ::getpwuid(::geteuid())) return account->pw_name;
    return {};
}

struct Field {
    std::string text; // escapes resolved
    bool any = false; // an unescaped "*" alone
};

// The fields of one line, split at the colons that are not escaped; the password is the fifth
// (an unescaped colon would end it, as it ends the others). Fewer than five fields: no entry.
std::optional<std::vector<Field>> fieldsOf(std::string_view line) {
    // Each field reserved for the whole line, so that growing leaves no copy of a password.
    std::vector<Field> fields;
    fields.reserve(6);
    const auto add = [&] { fields.emplace_back().text.reserve(line.size()); };
    add();
    bool escaped = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        escaped = c == '\\' && i + 1 < line.size();
        if (escaped) c = line[++i];
        if (c == ':' && !escaped) {
            if (fields.size() == fields.capacity()) break; // beyond the password: never read
            add();
            continue;
        }
        Field& field = fields.back();
        field.any = field.text.empty() && c == '*' && !escaped;
        field.text += c;
    }
    if (fields.size() < 5) {
        for (Field& field : fields) platform::Wipe(field.text);
        return std::nullopt;
    }
    return fields;
}

bool matches(const Field& field, std::string_view value) {
    return field.any || field.text == value;
}

} // namespace

std::string PasswordFilePath() {
    if (const char* file = std::getenv("PGPASSFILE"); file && *file) return file;
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* account = ::getpwuid(::geteuid())) {
        home = account->pw_dir;
    }
    return home + "/.pgpass";
}

PasswordFileAnswer LookUpPassword(const std::string& path, const PasswordFileQuery& query) {
    PasswordFileAnswer answer;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return answer;
    if (!S_ISREG(st.st_mode)) {
        answer.warning = "password file \"" + path + "\" is not a plain file";
        return answer;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        answer.warning = "password file \"" + path +
                         "\" has group or world access; permissions should be u=rw (0600) or "
                         "less";
        return answer;
    }

    const std::string host = query.host.empty() ? "localhost" : std::string(query.host);
    const std::string port = query.port.empty() ? "5432" : std::string(query.port);
    const std::string user = query.user.empty() ? loginName() : std::string(query.user);
    const std::string database = query.database.empty() ? user : std::string(query.database);

    // The lines hold passwords: the buffers are wiped when the lookup ends, however it ends.
    std::ifstream in(path);
    std::string line;
    line.reserve(4096);
    const platform::WipeOnExit<std::string> wipeLine(line);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        auto fields = fieldsOf(line);
        if (!fields) continue;
        auto& f = *fields;
        const bool match = matches(f[0], host) && matches(f[1], port) && matches(f[2], database) &&
                           matches(f[3], user);
        if (match) answer.password = f[4].text;
        for (Field& field : f) platform::Wipe(field.text);
        if (match) return answer;
    }
    return answer;
}

} // namespace tabulant::db
