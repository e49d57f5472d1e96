#include "TerminalPreview.h"

namespace tabulant::cli {

void TerminalPreview::AddDatatypeRow(std::string_view table, std::string_view field) {
    if (!verbose_) return;
    flush();
    pending_ = std::string(table) + "." + std::string(field) + ": ";
}

void TerminalPreview::SetLastDatatypeRow(std::string_view accessType,
                                         std::string_view postgresType) {
    if (!pending_) return;
    terminal_.Line(*pending_ + std::string(accessType) + " -> " + std::string(postgresType));
    pending_.reset();
}

void TerminalPreview::flush() {
    if (!pending_) return;
    terminal_.Line(*pending_ + "left out");
    pending_.reset();
}

} // namespace tabulant::cli
