#include "BulkLoad.h"

#include "CopyText.h"
#include "shell/core/ErrorReport.h"

namespace tabulant::engine {

namespace {
constexpr std::size_t ReasonsShown = 3;
constexpr std::size_t ScriptPieceBytes = 64u << 10;
} // namespace

BulkLoad::BulkLoad(const db::ConnectionFields& fields, StatementOutput* output,
                   std::string rejectsPath, std::string source, CopySink::Limits limits)
    : fields_(fields), output_(output), limits_(limits),
      rejects_(std::move(rejectsPath), std::move(source)) {}

BulkLoad::~BulkLoad() = default;

void BulkLoad::Start(std::string_view table, std::string_view schema) {
    table_ = table;
    rows_ = loaded_ = refused_ = 0;
    reasons_.clear();
    if (output_) {
        copy_ = CopyFromStdinStatement(table, schema) + ";";
        blockOpen_ = false;
        lines_.clear();
        return;
    }
    if (!connection_) {
        connection_ = std::make_unique<db::CopyConnection>(fields_);
        sink_ = std::make_unique<CopySink>(*connection_, static_cast<RowOutcomes&>(*this), limits_);
    }
    sink_->Start(table, schema);
}

void BulkLoad::Row(const std::string& statement) {
    ++rows_;
    if (!output_) return sink_->Row(statement);
    if (!AppendCopyLine(statement, lines_)) {
        EndScriptBlock();
        output_->Write(statement);
        ++loaded_;
        return;
    }
    if (!blockOpen_) {
        output_->Write(copy_);
        blockOpen_ = true;
    }
    ++loaded_;
    if (lines_.size() >= ScriptPieceBytes) {
        output_->WriteData(lines_);
        lines_.clear();
    }
}

void BulkLoad::Row(const CopyRow& row) {
    ++rows_;
    if (!output_) return sink_->Row(row);
    if (!blockOpen_) {
        output_->Write(copy_);
        blockOpen_ = true;
    }
    lines_ += row.line;
    ++loaded_;
    if (lines_.size() >= ScriptPieceBytes) {
        output_->WriteData(lines_);
        lines_.clear();
    }
}

void BulkLoad::EndScriptBlock() {
    if (!blockOpen_) return;
    lines_ += "\\.\n";
    blockOpen_ = false;
    output_->WriteData(lines_);
    lines_.clear();
}

void BulkLoad::Finish() {
    if (output_) return EndScriptBlock();
    sink_->Finish();
    try {
        rejects_.Flush();
    } catch (const std::exception& e) {
        if (rejectsFailure_.empty()) rejectsFailure_ = shell::DescriptionOf(e);
    }
}

void BulkLoad::Loaded(std::int64_t rows) { loaded_ += rows; }

void BulkLoad::Refused(std::int64_t row, const std::string& statement, const std::string& reason) {
    ++refused_;
    if (reasons_.size() < ReasonsShown)
        reasons_.push_back("row " + std::to_string(row) + ": " + reason);
    if (!rejectsFailure_.empty()) return;
    try {
        rejects_.Write(table_, row, reason, statement);
    } catch (const std::exception& e) {
        rejectsFailure_ = shell::DescriptionOf(e);
    }
}

std::string BulkLoad::RefusalReport() const {
    if (refused_ == 0) return {};
    std::string text = std::to_string(refused_) + (refused_ == 1 ? " row" : " rows") + " of " +
                       table_ + " refused by the server, not loaded:";
    for (const std::string& reason : reasons_) text += "\r\n" + reason;
    if (refused_ > static_cast<std::int64_t>(reasons_.size())) text += "\r\n...";
    if (rejectsFailure_.empty())
        text += "\r\nThe refused rows are in " + rejects_.path() +
                " as INSERT statements, each after its reason.";
    else
        text += "\r\n" + rejectsFailure_;
    return text;
}

} // namespace tabulant::engine
