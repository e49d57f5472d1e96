#pragma once

#include "VerifyReport.h"

#include "db/ConnectionFields.h"
#include "engine/RunPorts.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"
#include "platform/RegionalText.h"

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::verify {

class LoadSums;

// What a verification shows while it works; every hook does nothing unless overridden.
// Thread: the verifier's.
class VerifyView {
public:
    virtual ~VerifyView() = default;
    // `rows` is the count the file reports for the table (-1 unknown).
    virtual void TableStarted(std::string_view /*table*/, std::int64_t /*rows*/) {}
    virtual void RowRead(std::int64_t /*done*/, std::int64_t /*rows*/) {}
    virtual void TableVerified(const TableCheck& /*table*/) {}
};

// What to verify: the Access file and server of `fields`, as the conversion with `policy`
// wrote it.
struct VerifyRequest {
    const db::ConnectionFields& fields;
    PolicyKind policy = PolicyKind::Specified;
    std::vector<std::string> tables; // empty: every table of the file
    std::string schema;              // empty: the server's current schema
    // Our side's sums taken while the run loaded the tables; a table they hold is not read from
    // the file again.
    const LoadSums* taken = nullptr;
};

// Everything the verifier reaches outside itself. The references must outlive the verifier.
struct VerifyPorts {
    platform::ConnectionFactory& connections;
    platform::Prompts& prompts; // for the questions opening a file may ask; reports never
    platform::EventLoop& events;
    const platform::RegionalText& regional;
};

// Proves a conversion by checksums: reads each table of the Access file once, has the
// conversion's own policy write each row's statement, and sums the hash of every value in the
// text the server shows for what that statement sends (or takes these sums from the run that
// loaded the table, LoadSums.h); meanwhile the server makes the same sums over the table it
// holds, in one query per table sent before the file is read. Nothing is converted and nothing
// is written: the server is only read. Memory stays that of one row and one sum per column.
// Failures never escape: what could not be read is in the report (its problem, or a table's).
// Thread: the user-interface thread; yields to the event loop once per row.
class Verifier {
public:
    explicit Verifier(VerifyPorts ports) : ports_(ports) {}

    VerifyReport Run(const VerifyRequest& request, VerifyView* view = nullptr);

private:
    VerifyReport Check(const VerifyRequest& request, VerifyView* view);

    VerifyPorts ports_;
};

} // namespace tabulant::engine::verify
