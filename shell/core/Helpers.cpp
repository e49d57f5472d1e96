#include "Helpers.h"

#include "platform/Utf8.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace tabulant::shell {

bool FileExists(std::string_view path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(std::string(path).c_str(), &st) == 0;
}

bool ListContainsText(const platform::StringList& list, std::string_view text) {
    const std::string wanted = platform::LowerCase(text);
    bool found = false;
    const int n = list.ListCount();
    for (int i = 0; i < n; ++i)
        if (platform::LowerCase(list.List(i)) == wanted) found = true;
    return found;
}

void ListRemoveText(platform::StringList& list, std::string_view text) {
    for (int i = list.ListCount() - 1; i >= 0; --i)
        if (list.List(i) == text) list.RemoveItem(i);
}

const platform::Variant& NullToDefault(const platform::Variant& value,
                                       const platform::Variant& defaultValue) {
    return value.isNull() ? defaultValue : value;
}

namespace {
std::string& programFolder() {
    static std::string folder = [] {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) return std::string(".");
        std::string exe(buf, static_cast<std::size_t>(n));
        const auto slash = exe.rfind('/');
        return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
    }();
    return folder;
}
} // namespace

std::string ProgramFolder() { return programFolder(); }
void SetProgramFolder(std::string folder) { programFolder() = std::move(folder); }

} // namespace tabulant::shell
