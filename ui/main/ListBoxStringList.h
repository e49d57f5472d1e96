#pragma once

#include "platform/StringList.h"

class QListWidget;

namespace tabulant::ui {

// A string list kept in a list box of a window (the main window's hidden List1 and List2), so
// that what the conversion run leaves there stays with the window. The list box must outlive
// this object.
class ListBoxStringList final : public platform::StringList {
public:
    explicit ListBoxStringList(QListWidget& box) : box_(box) {}

    void Clear() override;
    void AddItem(std::string_view text) override;
    int ListCount() const override;
    // Throws platform::Error 381 "Invalid property array index" outside 0..ListCount()-1.
    std::string List(int index) const override;
    void RemoveItem(int index) override;

private:
    QListWidget& box_;
};

} // namespace tabulant::ui
