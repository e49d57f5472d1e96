#pragma once

#include "platform/Clipboard.h"
#include "platform/EventLoop.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::ui {

// A list as the clipboard export reads it: rows in display order, each with a check mark and one
// text per column (column 0 is the row's own text). Texts are UTF-8.
class ExportList {
public:
    virtual ~ExportList() = default;
    virtual std::size_t rowCount() const = 0;
    virtual std::size_t columnCount() const = 0;
    virtual std::string_view cell(std::size_t row, std::size_t column) const = 0;
    virtual bool marked(std::size_t row) const = 0;
};

// The export text of the marked rows: cells padded with blanks to the widest cell of their
// column (over all rows, marked or not), separated by TAB, trailing blanks removed, each row
// ended by CR LF. Widths are counted in characters and have no upper limit. Yields between
// cells. No value when the list has no rows.
std::optional<std::string> ListExportText(const ExportList& list, platform::EventLoop& events);

// Puts the export text of the list on the clipboard; leaves the clipboard alone when the list has
// no rows.
void CopyListToClipboard(const ExportList& list, platform::Clipboard& clipboard,
                         platform::EventLoop& events);

// Each makes up to MaxClipboardAttempts attempts and stops at the first that succeeds; failures
// of single attempts are swallowed. SetClipboardText answers whether the text was placed.
inline constexpr int MaxClipboardAttempts = 1000;
void ClearClipboard(platform::Clipboard& clipboard);
bool SetClipboardText(platform::Clipboard& clipboard, std::string_view text, int format);

} // namespace tabulant::ui
