#pragma once

#include "db/ConnectionFields.h"
#include "engine/RunPorts.h"

namespace tabulant::cli {

// The run's settings as the command line and its fallbacks chose them; a terminal always
// converts directly.
struct TerminalRunSettings final : db::FixedFields<engine::RunSettings> {
    engine::RunMode Mode() const override { return engine::RunMode::Direct; }
};

} // namespace tabulant::cli
