#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tabulant::bench {

// A throwaway PostgreSQL cluster in a folder of its own, started by scripts/pg-cluster.sh and
// destroyed (server stopped, folder removed) by Destroy() or the destructor.
// With `durable`, the script's relaxed settings (fsync, synchronous commit and full page writes
// off) are put back to the server defaults, so each autocommitted statement waits for its WAL
// flush as on a real server.
class Cluster {
public:
    explicit Cluster(std::filesystem::path dir);
    ~Cluster();
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    void Start(bool durable);
    // Whether a commit waits for its WAL flush; takes effect for the connections opened next.
    void SetSynchronousCommit(bool on);
    void Destroy() noexcept;

    int Port() const { return port_; }
    // Runs SQL with psql and returns its unaligned, tuples-only output; throws on any error.
    std::string Psql(std::string_view sql) const;
    // The psql command line (quoted for bash) that connects over TCP as the benchmark user,
    // quiet and without reading ~/.psqlrc; the password comes from PGPASSWORD.
    std::string PsqlCommand() const;

    static constexpr const char* User = "tabulant";
    static constexpr const char* Password = "tabulant";
    static constexpr const char* Database = "tabulant";

private:
    std::filesystem::path dir_;
    std::string bindir_;
    int port_ = 0;
    bool started_ = false;
};

} // namespace tabulant::bench
