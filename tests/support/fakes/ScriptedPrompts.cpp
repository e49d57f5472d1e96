#include "ScriptedPrompts.h"

namespace tabulant::fakes {

void ScriptedPrompts::record(Kind kind, std::string_view text, std::string_view title) {
    entries_.push_back({kind, std::string(text), std::string(title)});
    if (onEntry) onEntry(entries_.back());
}

void ScriptedPrompts::Message(std::string_view text) { record(Kind::Message, text); }

platform::Prompts::Answer ScriptedPrompts::Question(std::string_view text, std::string_view title) {
    Answer answer = default_;
    if (script_.empty()) {
        ++unscripted_;
    } else {
        answer = script_.front();
        script_.pop_front();
    }
    record(Kind::Question, text, title);
    return answer;
}

void ScriptedPrompts::ErrorReport(std::string_view text) { record(Kind::ErrorReport, text); }

std::vector<std::string> ScriptedPrompts::Texts(Kind kind) const {
    std::vector<std::string> out;
    for (const Entry& e : entries_)
        if (e.kind == kind) out.push_back(e.text);
    return out;
}

void ScriptedPrompts::Reset() {
    script_.clear();
    entries_.clear();
    unscripted_ = 0;
}

} // namespace tabulant::fakes
