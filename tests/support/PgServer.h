#pragma once
#include <gtest/gtest.h>

#include <string>

#include "tests/support/DatabaseServer.h"

namespace vantix::test {

// PostgreSQL: initdb into a temporary directory owned by the postgres system
// user (the server refuses to run as root).
class PgServer : public DatabaseServer {
public:
    PgServer();
    ~PgServer() override;

    const char* Name() const override { return "PostgreSQL"; }
    std::string ConnectionString() const override;
    std::string Query(const std::string& sql) const override;
    int ServerPid() const override;
    std::string HoldLockCommand(int seconds) const override;
    bool Locked() const override;
    void ReleaseLock() const override;
    // The psql command line for the database (for benchmarks that feed it files).
    std::string PsqlCommand() const;

    // The server of this test program, started on first use (see
    // PgServerEnvironment).
    static PgServer& Shared();

private:
    std::string PsqlFor(const std::string& database) const;

    std::string binDir_;
};

// Stops the shared servers when the test program ends. Register with
// ::testing::AddGlobalTestEnvironment(new PgServerEnvironment) (gtest owns it).
class PgServerEnvironment : public ::testing::Environment {
public:
    void TearDown() override;
};

} // namespace vantix::test
