#include "ListBoxStringList.h"
#include "platform/qt/QtText.h"

#include "platform/Error.h"

#include <QListWidget>

namespace tabulant::ui {

namespace {
void checkIndex(const QListWidget& box, int index) {
    if (index < 0 || index >= box.count())
        throw platform::Error(381, "Invalid property array index");
}
} // namespace

void ListBoxStringList::Clear() { box_.clear(); }

void ListBoxStringList::AddItem(std::string_view text) { box_.addItem(platform::ToQString(text)); }

int ListBoxStringList::ListCount() const { return box_.count(); }

std::string ListBoxStringList::List(int index) const {
    checkIndex(box_, index);
    return box_.item(index)->text().toStdString();
}

void ListBoxStringList::RemoveItem(int index) {
    checkIndex(box_, index);
    delete box_.takeItem(index);
}

} // namespace tabulant::ui
