#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::platform {

// A plain list of texts, shaped like the hidden list boxes the conversion run fills
// (List1, List2). The window implements it over its own list; VectorStringList serves elsewhere.
class StringList {
public:
    virtual ~StringList() = default;
    virtual void Clear() = 0;
    virtual void AddItem(std::string_view text) = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual void RemoveItem(int index) = 0;
};

class VectorStringList final : public StringList {
public:
    void Clear() override { items_.clear(); }
    void AddItem(std::string_view text) override { items_.emplace_back(text); }
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::string List(int index) const override {
        return items_.at(static_cast<std::size_t>(index));
    }
    void RemoveItem(int index) override { items_.erase(items_.begin() + index); }
    const std::vector<std::string>& items() const { return items_; }

private:
    std::vector<std::string> items_;
};

} // namespace tabulant::platform
