#include "FakeMainWindow.h"

namespace tabulant::fakes {

void FakeMainWindow::SetBusy(bool busy) { log.push_back(busy ? "pointer 11" : "pointer 0"); }

void FakeMainWindow::SetProgressValue(int percent) {
    progressValues.push_back(percent);
    log.push_back("value " + std::to_string(percent));
}

void FakeMainWindow::SetProgressText(std::string_view text) {
    progressTexts.emplace_back(text);
    log.push_back("text " + std::string(text));
}

} // namespace tabulant::fakes
