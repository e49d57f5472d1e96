#include "InMemoryConnectionFactory.h"

#include <algorithm>
#include <cctype>

namespace tabulant::fakes {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

class RoutingConnection final : public platform::Connection {
public:
    explicit RoutingConnection(InMemoryConnectionFactory& factory) : factory_(factory) {}

    void Open(std::string_view connectionString) override {
        std::unique_ptr<platform::Connection> target;
        if (startsWithNoCase(connectionString, "provider="))
            target = std::make_unique<InMemoryConnection>(factory_.access);
        else if (startsWithNoCase(connectionString, "driver="))
            target = factory_.postgresConnection
                         ? factory_.postgresConnection()
                         : std::make_unique<RecordingConnection>(factory_.postgres);
        else
            throw platform::Error(platform::errors::Generic,
                                  "Data source name not found and no default driver specified");
        if (target_ && target_->IsOpen())
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is open.");
        target->CursorLocation(CursorLocation());
        target->Mode(Mode());
        target->CommandTimeout(CommandTimeout());
        target->ConnectionTimeout(ConnectionTimeout());
        target->Open(connectionString);
        target_ = std::move(target);
    }
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override {
        return target().Execute(statement);
    }
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override {
        return target().OpenSchema(schema);
    }
    void Close() override { target().Close(); }
    bool IsOpen() const override { return target_ && target_->IsOpen(); }

private:
    platform::Connection& target() {
        if (!target_) throw ClosedObjectError();
        return *target_;
    }

    InMemoryConnectionFactory& factory_;
    std::unique_ptr<platform::Connection> target_;
};

} // namespace

std::unique_ptr<platform::Connection> InMemoryConnectionFactory::CreateConnection() {
    if (createFailure) throw *createFailure;
    ++created;
    return std::make_unique<RoutingConnection>(*this);
}

} // namespace tabulant::fakes
