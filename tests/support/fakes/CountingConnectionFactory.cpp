#include "CountingConnectionFactory.h"

namespace tabulant::fakes {

class CountingConnectionFactory::Counted final : public platform::Connection {
public:
    Counted(std::unique_ptr<platform::Connection> inner, std::shared_ptr<Live> live)
        : inner_(std::move(inner)), live_(std::move(live)) {
        live_->insert(inner_.get());
    }
    ~Counted() override { live_->erase(inner_.get()); }

    void Open(std::string_view connectionString) override {
        inner_->CursorLocation(CursorLocation());
        inner_->Mode(Mode());
        inner_->CommandTimeout(CommandTimeout());
        inner_->ConnectionTimeout(ConnectionTimeout());
        inner_->Open(connectionString);
    }
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override {
        return inner_->Execute(statement);
    }
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override {
        return inner_->OpenSchema(schema);
    }
    std::unique_ptr<platform::Cursor> OpenTableSchema(int schema, std::string_view table) override {
        return inner_->OpenTableSchema(schema, table);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }

private:
    std::unique_ptr<platform::Connection> inner_;
    std::shared_ptr<Live> live_;
};

std::unique_ptr<platform::Connection> CountingConnectionFactory::CreateConnection() {
    if (createFailure) throw *createFailure;
    return std::make_unique<Counted>(inner_.CreateConnection(), live_);
}

int CountingConnectionFactory::OpenNow() const {
    int open = 0;
    for (const platform::Connection* c : *live_) open += c->IsOpen() ? 1 : 0;
    return open;
}

} // namespace tabulant::fakes
