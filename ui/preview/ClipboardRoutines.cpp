#include "ClipboardRoutines.h"

#include <vector>

namespace tabulant::ui {

namespace {

std::size_t characterCount(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

template <class Attempt> bool retry(Attempt&& attempt) {
    for (int i = 0; i < MaxClipboardAttempts; ++i) {
        try {
            if (attempt()) return true;
        } catch (...) {
            // A clipboard held by another program; the next attempt may find it free.
        }
    }
    return false;
}

} // namespace

std::optional<std::string> ListExportText(const ExportList& list, platform::EventLoop& events) {
    const std::size_t rows = list.rowCount();
    if (rows == 0) return std::nullopt;
    const std::size_t columns = list.columnCount();

    std::vector<std::size_t> width(columns, 0);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c) {
            events.yield();
            width[c] = std::max(width[c], characterCount(list.cell(r, c)));
        }

    std::string s;
    for (std::size_t r = 0; r < rows; ++r) {
        if (!list.marked(r)) continue;
        for (std::size_t c = 0; c < columns; ++c) {
            events.yield();
            const std::string_view cell = list.cell(r, c);
            s.append(cell);
            // The last column's padding would be cut again with the trailing blanks, so it is not
            // written at all: a long line must not pad every other line to its length.
            const std::size_t length = characterCount(cell);
            if (c + 1 < columns && width[c] >= length) s.append(width[c] - length, ' ');
            s.push_back('\t');
        }
        if (columns > 0) s.pop_back();
        while (!s.empty() && s.back() == ' ') s.pop_back();
        s.append("\r\n");
    }
    return s;
}

void CopyListToClipboard(const ExportList& list, platform::Clipboard& clipboard,
                         platform::EventLoop& events) {
    const std::optional<std::string> text = ListExportText(list, events);
    if (!text) return;
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, *text, 0);
}

void ClearClipboard(platform::Clipboard& clipboard) {
    retry([&] { return clipboard.Clear(); });
}

bool SetClipboardText(platform::Clipboard& clipboard, std::string_view text, int format) {
    return retry([&] { return clipboard.SetText(text, format); });
}

} // namespace tabulant::ui
