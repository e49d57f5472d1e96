#pragma once

#include "RunPorts.h"
#include "platform/Connection.h"

#include <functional>
#include <memory>
#include <string>

namespace tabulant::engine {

// Where a run's statements go: the preview list, the PostgreSQL connection, or a statement
// output. The run keeps one of each kind it can use and picks one by its settings at every
// statement (a mode changed while the run yields takes effect at the next statement).
// Thread: the user-interface thread.
class StatementSink {
public:
    virtual ~StatementSink() = default;

    // True for a sink that keeps statements for the user to look at before anything runs: what
    // it is given never fails for a reason of the server's, so the run does not judge it.
    virtual bool Collects() const { return false; }
    // Hands on one statement as the run made it. Throws what the place throws (a rejected
    // Execute, a failed write); the statement then counts as not written.
    virtual void Put(const std::string& statement) = 0;
};

// The preview list of `preview`: each statement becomes one line.
std::unique_ptr<StatementSink> PreviewListSink(PreviewPort& preview);
// Each statement executed at once on the connection `connection` answers, committed on its own.
// The function is asked at every statement, so a connection made after the sink is found.
std::unique_ptr<StatementSink> ConnectionSink(std::function<platform::Connection&()> connection);
// Each statement written to `output`, which must outlive the sink.
std::unique_ptr<StatementSink> OutputSink(StatementOutput& output);

} // namespace tabulant::engine
