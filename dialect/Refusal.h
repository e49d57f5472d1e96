#pragma once

#include <stdexcept>
#include <string>

namespace tabulant::dialect {

// A construct the translation does not carry: what it is (as the source wrote it, or a short
// name) and why. Thrown by the parser for text it cannot read and by the writer for constructs
// without a PostgreSQL form that gives Access's result; never text passed through.
class Refusal : public std::runtime_error {
public:
    Refusal(std::string construct, std::string reason)
        : std::runtime_error(construct + ": " + reason), construct_(std::move(construct)),
          reason_(std::move(reason)) {}
    const std::string& construct() const { return construct_; }
    const std::string& reason() const { return reason_; }

private:
    std::string construct_;
    std::string reason_;
};

} // namespace tabulant::dialect
