#pragma once

// Temporary: the subset of the shared test doubles these tests use, until the shared fakes
// library is on the main line. Same names and behaviour, so switching is an include change.

#include "platform/Connection.h"
#include "platform/Error.h"
#include "platform/Prompts.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::fakes {

class ScriptedPrompts final : public platform::Prompts {
public:
    enum class Kind { Message, Question, ErrorReport };
    struct Entry {
        Kind kind;
        std::string text;
        std::string title;
    };
    std::function<void(const Entry&)> onEntry;

    void Message(std::string_view text) override { record(Kind::Message, text); }
    Answer Question(std::string_view text, std::string_view title = {}) override {
        record(Kind::Question, text, title);
        return Answer::No;
    }
    void ErrorReport(std::string_view text) override { record(Kind::ErrorReport, text); }

    const std::vector<Entry>& Entries() const { return entries_; }
    std::vector<std::string> Texts(Kind kind) const {
        std::vector<std::string> out;
        for (const Entry& e : entries_)
            if (e.kind == kind) out.push_back(e.text);
        return out;
    }
    std::vector<std::string> Messages() const { return Texts(Kind::Message); }
    std::vector<std::string> ErrorReports() const { return Texts(Kind::ErrorReport); }
    void Reset() { entries_.clear(); }

private:
    void record(Kind kind, std::string_view text, std::string_view title = {}) {
        entries_.push_back({kind, std::string(text), std::string(title)});
        if (onEntry) onEntry(entries_.back());
    }
    std::vector<Entry> entries_;
};

struct StatementFailure {
    std::string prefix;
    std::string description;
};

struct RecordingServer {
    std::vector<StatementFailure> failures;
    std::vector<std::string> statements;

    void FailWhenStartsWith(std::string prefix, std::string description = {}) {
        if (description.empty()) description = SqlException("42601", "ERROR: rejected by the test");
        failures.push_back({std::move(prefix), std::move(description)});
    }
    static std::string SqlException(std::string_view sqlstate, std::string_view message) {
        std::string s = "SQLException: ";
        s.append(sqlstate).append(" ").append(message);
        return s;
    }
};

class RecordingConnection final : public platform::Connection {
public:
    explicit RecordingConnection(RecordingServer& server) : server_(server) {}
    void Open(std::string_view) override { open_ = true; }
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override {
        if (!open_)
            throw platform::Error(platform::errors::Generic,
                                  RecordingServer::SqlException("08003", "connection not open"));
        server_.statements.emplace_back(statement);
        for (const StatementFailure& f : server_.failures)
            if (statement.substr(0, f.prefix.size()) == f.prefix)
                throw platform::Error(platform::errors::Generic, f.description);
        return nullptr;
    }
    std::unique_ptr<platform::Cursor> OpenSchema(int) override { return nullptr; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

private:
    RecordingServer& server_;
    bool open_ = false;
};

} // namespace tabulant::fakes
