#pragma once

#include "db/ConnectionFields.h"
#include "engine/RunPorts.h"

#include <string>

namespace tabulant::cli {

// The run's settings as the command line and its fallbacks chose them; a terminal always
// converts directly.
struct TerminalRunSettings final : db::FixedFields<engine::RunSettings> {
    engine::PolicyKind policy = engine::PolicyKind::Specified;
    bool bulk = false;
    std::string schema; // empty: the server's default schema, as the window converts

    engine::RunMode Mode() const override { return engine::RunMode::Direct; }
    engine::PolicyKind Policy() const override { return policy; }
    bool LoadRowsInBulk() const override { return bulk; }
    std::string Schema() const override { return schema; }
};

} // namespace tabulant::cli
