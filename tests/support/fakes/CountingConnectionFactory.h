#pragma once

#include "platform/Connection.h"
#include "platform/Error.h"

#include <memory>
#include <optional>
#include <set>

namespace tabulant::fakes {

// Hands out the connections of another factory (the real one, say) and keeps count of those that
// are open now, so a test can tell that a run left none open: a connection counts from a
// successful Open until it is closed or released. The wrapped factory must outlive this one;
// a connection made here may outlive both.
class CountingConnectionFactory final : public platform::ConnectionFactory {
public:
    explicit CountingConnectionFactory(platform::ConnectionFactory& inner) : inner_(inner) {}

    // When set, CreateConnection throws it instead of asking the wrapped factory.
    std::optional<platform::Error> createFailure;

    std::unique_ptr<platform::Connection> CreateConnection() override;
    int OpenNow() const;

private:
    class Counted;
    using Live = std::set<const platform::Connection*>;

    platform::ConnectionFactory& inner_;
    std::shared_ptr<Live> live_ = std::make_shared<Live>();
};

} // namespace tabulant::fakes
