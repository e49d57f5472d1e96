#pragma once

#include "Connection.h"
#include "Error.h"

#include <string_view>

namespace tabulant::platform {

// Runs statements one at a time, each sent on its own and committed on its own (no batch, no
// enclosing transaction), and forgets the rows a statement returns. What one statement leaves in
// the session (a SET, a temporary table) is there for the next.
// Errors: a statement that fails, or cannot be sent, throws platform::Error whose description
// reads "SQLException: [SQLSTATE] ...", so that a caller can tell a rejected statement from a
// failure of its own. Not thread-safe.
class StatementRunner {
public:
    virtual ~StatementRunner() = default;
    virtual void Run(std::string_view statement) = 0;
};

// Statements run on a connection (Execute). A null connection fails every statement as a closed
// one does. The connection must outlive this object.
class ConnectionStatements final : public StatementRunner {
public:
    explicit ConnectionStatements(Connection* connection) : connection_(connection) {}

    void Run(std::string_view statement) override {
        if (!connection_)
            throw Error(errors::ObjectClosed, "SQLException: [08003] The connection is not open.");
        connection_->Execute(statement);
    }

private:
    Connection* connection_;
};

} // namespace tabulant::platform
