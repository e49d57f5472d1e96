#pragma once

#include "CopySink.h"
#include "RejectFile.h"
#include "RunPorts.h"
#include "db/ConnectionFields.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// The rows of a run's tables loaded in bulk: with COPY on a libpq connection of its own
// (CopySink.h), or, for a run that writes statements to an output, as COPY ... FROM stdin;
// blocks that psql runs. Refused rows are written to the run's reject file and counted per table.
// Thread: the user-interface thread.
class BulkLoad final : private RowOutcomes {
public:
    // To the server the fields name (connected at the first table), or to `output` when it is
    // not null. Refused rows go to `rejectsPath`; `source` is the Access file they came from.
    BulkLoad(const db::ConnectionFields& fields, StatementOutput* output, std::string rejectsPath,
             std::string source, CopySink::Limits limits = {});
    ~BulkLoad() override;

    // The table whose rows follow, in `schema` (empty: the server's default). Throws what
    // connecting throws (platform::Error).
    void Start(std::string_view table, std::string_view schema = {});
    // One row as its INSERT statement. Throws BulkFailure (CopySink.h), or what the output
    // throws.
    void Row(const std::string& statement);
    // One row as its COPY line made from its values.
    void Row(const CopyRow& row);
    // Sends the rows kept. Throws as Row does.
    void Finish();

    // The current table's rows: given, committed (written, for an output) and refused.
    std::int64_t rows() const { return rows_; }
    std::int64_t loaded() const { return loaded_; }
    std::int64_t refused() const { return refused_; }
    // The last row up to which every row is committed or refused.
    std::int64_t settled() const { return sink_ && !output_ ? sink_->settled() : loaded_; }
    // The report of the current table's refused rows: how many, the first reasons, the reject
    // file; empty when none was refused.
    std::string RefusalReport() const;

private:
    void Loaded(std::int64_t rows) override;
    void Refused(std::int64_t row, const std::string& statement,
                 const std::string& reason) override;
    void EndScriptBlock();

    const db::ConnectionFields& fields_;
    StatementOutput* output_;
    CopySink::Limits limits_;
    RejectFile rejects_;
    std::string rejectsFailure_; // why the reject file could not be written
    std::unique_ptr<db::CopyConnection> connection_;
    std::unique_ptr<CopySink> sink_;

    std::string table_;
    std::string copy_;       // the script's COPY ... FROM stdin; line
    bool blockOpen_ = false; // the script's COPY block is under way
    std::string lines_;      // the script's lines not yet written
    std::int64_t rows_ = 0, loaded_ = 0, refused_ = 0;
    std::vector<std::string> reasons_; // the first few, with their row numbers
};

} // namespace tabulant::engine
