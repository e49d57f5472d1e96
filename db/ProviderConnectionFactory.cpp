#include "ProviderConnectionFactory.h"

#include "access/AccessConnection.h"
#include "odbc/OdbcConnection.h"
#include "platform/Error.h"

#include <algorithm>
#include <cctype>

namespace tabulant::db {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Holds the properties until Open, then hands them to the provider the string asks for.
class ProviderConnection final : public platform::Connection {
public:
    explicit ProviderConnection(platform::EventLoop* events) : events_(events) {}

    void Open(std::string_view connectionString) override {
        if (inner_ && inner_->IsOpen())
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is open.");
        std::unique_ptr<platform::Connection> inner;
        if (startsWithNoCase(connectionString, "Provider=Microsoft.ACE.OLEDB") ||
            startsWithNoCase(connectionString, "Provider=Microsoft.Jet.OLEDB"))
            inner = CreateAccessConnection(events_);
        else if (startsWithNoCase(connectionString, "Driver="))
            inner = CreateOdbcConnection();
        else
            throw platform::Error(platform::errors::ProviderNotFound,
                                  "Provider cannot be found. It may not be properly installed.");
        inner->CursorLocation(CursorLocation());
        inner->Mode(Mode());
        inner->CommandTimeout(CommandTimeout());
        inner->ConnectionTimeout(ConnectionTimeout());
        // Kept even when Open fails, so that later calls reach the chosen provider and fail in
        // its own way (the ODBC connection marks every failed Execute as an SQLException).
        inner_ = std::move(inner);
        inner_->Open(connectionString);
    }

    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override {
        if (inner_) return inner_->Execute(statement);
        return opened().Execute(statement);
    }
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override {
        return opened().OpenSchema(schema);
    }
    void Close() override { opened().Close(); }
    bool IsOpen() const override { return inner_ && inner_->IsOpen(); }

private:
    platform::Connection& opened() {
        if (!inner_ || !inner_->IsOpen())
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is closed.");
        return *inner_;
    }

    platform::EventLoop* events_;
    std::unique_ptr<platform::Connection> inner_;
};

} // namespace

std::unique_ptr<platform::Connection> ProviderConnectionFactory::CreateConnection() {
    return std::make_unique<ProviderConnection>(events_);
}

} // namespace tabulant::db
