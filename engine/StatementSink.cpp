#include "StatementSink.h"

namespace tabulant::engine {

namespace {

class PreviewList final : public StatementSink {
public:
    explicit PreviewList(PreviewPort& preview) : preview_(preview) {}
    bool Collects() const override { return true; }
    void Put(const std::string& statement) override { preview_.AddPreviewLine(statement); }

private:
    PreviewPort& preview_;
};

class Executing final : public StatementSink {
public:
    explicit Executing(std::function<platform::Connection&()> connection)
        : connection_(std::move(connection)) {}
    void Put(const std::string& statement) override { connection_().Execute(statement); }

private:
    std::function<platform::Connection&()> connection_;
};

class Writing final : public StatementSink {
public:
    explicit Writing(StatementOutput& output) : output_(output) {}
    void Put(const std::string& statement) override { output_.Write(statement); }

private:
    StatementOutput& output_;
};

} // namespace

std::unique_ptr<StatementSink> PreviewListSink(PreviewPort& preview) {
    return std::make_unique<PreviewList>(preview);
}

std::unique_ptr<StatementSink> ConnectionSink(std::function<platform::Connection&()> connection) {
    return std::make_unique<Executing>(std::move(connection));
}

std::unique_ptr<StatementSink> OutputSink(StatementOutput& output) {
    return std::make_unique<Writing>(output);
}

} // namespace tabulant::engine
