#pragma once

#include "ErrorReport.h"
#include "platform/Prompts.h"

#include <exception>
#include <string>
#include <utility>

namespace tabulant::shell {

// Runs the numbered steps of a trapped handler. A step that throws is shown in the standard error
// report with the handler's location and the step's number, and the handler goes on with its next
// step; the failed step has no effect. A condition or loop head that throws counts as true, so the
// handler continues with the first step that the condition governs.
//
//     Trap trap(prompts, "Form1.PushButton7_Click");
//     trap(116, [&] { view.SetBusy(true); });
//     if (trap.Condition(152, [&] { return ListContainsText(list, name); })) { ... }
class Trap {
public:
    Trap(platform::Prompts& prompts, std::string location)
        : prompts_(prompts), location_(std::move(location)) {}

    const std::string& location() const { return location_; }
    // How many failures this trap has reported.
    int reports() const { return reports_; }

    template <class Step> void operator()(int line, Step&& step) {
        try {
            std::forward<Step>(step)();
        } catch (const std::exception& e) {
            report(line, DescriptionOf(e));
        } catch (...) {
            report(line, "Unknown failure");
        }
    }

    template <class Test> bool Condition(int line, Test&& test) {
        try {
            return static_cast<bool>(std::forward<Test>(test)());
        } catch (const std::exception& e) {
            report(line, DescriptionOf(e));
        } catch (...) {
            report(line, "Unknown failure");
        }
        return true;
    }

    // A step that computes a value: on failure the target keeps what it held before.
    template <class T, class Compute> void Assign(int line, T& target, Compute&& compute) {
        (*this)(line, [&] { target = std::forward<Compute>(compute)(); });
    }

    void report(int line, const std::string& description) {
        ++reports_;
        ReportApplicationError(prompts_, location_, line, description);
    }

private:
    platform::Prompts& prompts_;
    std::string location_;
    int reports_ = 0;
};

} // namespace tabulant::shell
