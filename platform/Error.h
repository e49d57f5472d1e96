#pragma once

#include <stdexcept>
#include <string>

namespace tabulant::platform {

// The one failure type of the data-access layer and the seams: a number and a description, as
// the callers show them in the standard error report or test them (for "SQLException", for the
// number 3706). Anything else thrown reaches the error report through std::exception::what().
class Error : public std::runtime_error {
public:
    Error(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    long number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    long number_;
    std::string description_;
};

// Numbers used by more than one provider.
namespace errors {
inline constexpr long ObjectClosed = 3704;     // operation on a closed connection or record set
inline constexpr long ProviderNotFound = 3706; // the data provider is missing
inline constexpr long NoCurrentRecord = 3021;  // field read at EOF or BOF
inline constexpr long ItemNotFound = 3265;     // field name or position not in the collection
inline constexpr long Generic = -2147467259;   // 0x80004005, unspecified provider failure
} // namespace errors

} // namespace tabulant::platform
