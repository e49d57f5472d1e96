#include "Prompts.h"

namespace tabulant::platform {

namespace {
std::string& title() {
    static std::string t;
    return t;
}
} // namespace

const std::string& ApplicationTitle() { return title(); }
void SetApplicationTitleText(std::string t) { title() = std::move(t); }

} // namespace tabulant::platform
