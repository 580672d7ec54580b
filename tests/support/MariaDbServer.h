#pragma once
#include <string>

#include "tests/support/DatabaseServer.h"

namespace vantix::test {

// MariaDB: mariadb-install-db into a temporary directory, mariadbd on a free
// local port with its socket in that directory (as root it runs as root).
class MariaDbServer : public DatabaseServer {
public:
    MariaDbServer();
    ~MariaDbServer() override;

    const char* Name() const override { return "MariaDB"; }
    std::string ConnectionString() const override;
    std::string Query(const std::string& sql) const override;
    int ServerPid() const override;
    std::string HoldLockCommand(int seconds) const override;
    bool Locked() const override;
    void ReleaseLock() const override;

    // The server of this test program, started on first use and stopped by
    // PgServerEnvironment with the PostgreSQL one.
    static MariaDbServer& Shared();

private:
    std::string Client() const;
};

} // namespace vantix::test
