#pragma once
#include <string>

namespace vantix::test {

// A throw-away database server of the tests, started in a temporary
// directory on a free local port, with a database "vantix" holding the table
// `registrations` and the procedure `spVantixReg` (a media ID "FAIL" makes it
// raise an error). Stopped and removed by the destructor.
class DatabaseServer {
public:
    virtual ~DatabaseServer();

    virtual const char* Name() const = 0;
    // An ODBC connection string for the database.
    virtual std::string ConnectionString() const = 0;
    // Runs SQL with the server's own client; the rows of its result, one
    // line each, columns separated by '|' (no trailing line end).
    virtual std::string Query(const std::string& sql) const = 0;
    // The server's main process.
    virtual int ServerPid() const = 0;
    // A shell command that locks the registration table from a session of
    // its own for `seconds` seconds, and whether that lock is held now.
    virtual std::string HoldLockCommand(int seconds) const = 0;
    virtual bool Locked() const = 0;
    // Ends the session that holds the lock.
    virtual void ReleaseLock() const = 0;

    // SIGSTOP (true) or SIGCONT (false) to the server and all its processes:
    // a server that stops answering.
    void Suspend(bool stop) const;

    void Clear() const { Query("DELETE FROM registrations"); }
    int RowCount() const { return std::stoi(Query("SELECT count(*) FROM registrations")); }
    // The media IDs in the order they were stored, joined by ','.
    std::string MediaIds() const;

protected:
    // Makes a fresh directory /tmp/vantix-KIND-XXXXXX and picks a free port;
    // the destructor removes the directory (after the server has stopped).
    explicit DatabaseServer(const std::string& kind);
    DatabaseServer(const DatabaseServer&) = delete;
    DatabaseServer& operator=(const DatabaseServer&) = delete;

    std::string dir_;
    int port_ = 0;
    bool started_ = false;
};

// A TCP port on 127.0.0.1 that nobody listens on now.
int FreePort();

} // namespace vantix::test
