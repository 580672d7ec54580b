#pragma once
#include <gtest/gtest.h>

#include <string>

namespace vantix::test {

// A throw-away PostgreSQL server: initdb into a temporary directory owned by
// the postgres system user, started on a free local port, with a database
// "vantix" holding the table `registrations` and the procedure
// `spVantixReg`. Stopped and removed by the destructor.
class PgServer {
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    int Port() const { return port_; }
    // An ODBC connection string for the database through psqlODBC.
    std::string ConnectionString() const;
    // Runs SQL through psql; returns its unaligned output (no trailing line end).
    std::string Query(const std::string& sql) const;
    // The psql command line for the database (for benchmarks that feed it files).
    std::string PsqlCommand() const;
    // Empties the registration table.
    void Clear() const;
    // Number of rows in the registration table.
    int RowCount() const;

    // The server of this test program, started on first use (see
    // PgServerEnvironment).
    static PgServer& Shared();

private:
    std::string PsqlFor(const std::string& database) const;

    std::string dir_;
    std::string binDir_;
    int port_ = 0;
    bool started_ = false;
};

// Stops the shared server when the test program ends. Register with
// ::testing::AddGlobalTestEnvironment(new PgServerEnvironment) (gtest owns it).
// 'text' for a POSIX shell.
std::string ShellQuote(const std::string& text);

class PgServerEnvironment : public ::testing::Environment {
public:
    void TearDown() override;
};

} // namespace vantix::test
