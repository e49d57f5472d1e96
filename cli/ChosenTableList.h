#pragma once

#include "platform/StringList.h"

#include <set>
#include <string>
#include <vector>

namespace tabulant::cli {

// The run's list of the Access file's tables, keeping only the tables named with --table (every
// table when none was named), so that the run walks just those.
class ChosenTableList final : public platform::StringList {
public:
    explicit ChosenTableList(const std::vector<std::string>& chosen)
        : chosen_(chosen.begin(), chosen.end()) {}

    void Clear() override { list_.Clear(); }
    void AddItem(std::string_view text) override {
        if (chosen_.empty() || chosen_.count(std::string(text)) != 0) list_.AddItem(text);
    }
    int ListCount() const override { return list_.ListCount(); }
    std::string List(int index) const override { return list_.List(index); }
    void RemoveItem(int index) override { list_.RemoveItem(index); }

private:
    std::set<std::string> chosen_;
    platform::VectorStringList list_;
};

} // namespace tabulant::cli
