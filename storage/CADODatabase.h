#pragma once
#ifdef _WIN32
#include <windows.h> // the ODBC headers need its types
#undef LoadString     // a macro of windows.h; the program has its own
#endif
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vantix {

// A database error as the ODBC diagnostics report it. The transaction calls
// throw it; Open and Execute record it and return false.
class ComError : public std::runtime_error {
public:
    ComError(uint32_t code, std::string meaning, std::string source, std::string description,
             std::string sqlState = {});
    uint32_t Code() const { return code_; }
    // The five-character SQLSTATE, empty when the error did not come from ODBC.
    const std::string& SqlState() const { return sqlState_; }
    const std::string& Meaning() const { return meaning_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

    // The first diagnostic record of an ODBC handle (all records' texts in
    // the description). `fallback` describes the failure when there is none.
    static ComError FromOdbc(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& fallback);

private:
    uint32_t code_;
    std::string meaning_;
    std::string source_;
    std::string description_;
    std::string sqlState_;
};

// Owns one ODBC handle of one type.
template <SQLSMALLINT Type>
class OdbcHandle {
public:
    OdbcHandle() = default;
    ~OdbcHandle() { Reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    // Allocates under `parent` (SQL_NULL_HANDLE for an environment).
    SQLRETURN Allocate(SQLHANDLE parent) {
        Reset();
        return SQLAllocHandle(Type, parent, &handle_);
    }
    SQLHANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != SQL_NULL_HANDLE; }
    void Reset() {
        if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(Type, handle_);
        handle_ = SQL_NULL_HANDLE;
    }

private:
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// An ODBC environment for ODBC 3 behaviour.
class OdbcEnvironment {
public:
    OdbcEnvironment();
    bool Valid() const { return env_.Valid(); }
    SQLHANDLE Get() const { return env_.Get(); }

private:
    OdbcHandle<SQL_HANDLE_ENV> env_;
};

// The database connection of the program: live registrations and the import
// each use one. Every call is synchronous and bounded by a timeout, so a
// server that stops answering is reported instead of waited for.
class CADODatabase {
public:
    static constexpr int kLoginTimeoutSeconds = 5;
    static constexpr int kStatementTimeoutSeconds = 5;

    CADODatabase();
    virtual ~CADODatabase();
    CADODatabase(const CADODatabase&) = delete;
    CADODatabase& operator=(const CADODatabase&) = delete;

    // Connects with `connectionString` (empty: the stored one), closing an
    // open connection first. False on failure, with the error recorded.
    bool Open(const std::string& connectionString = {}, const std::string& user = {},
              const std::string& password = {});
    // Runs one statement; its results are discarded. False on failure, with
    // the error recorded.
    bool Execute(const std::string& sql);
    void Close();
    bool IsOpen() const { return connected_; }

    // Throw ComError on failure.
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

    const std::string& GetConnectionString() const { return connectionString_; }
    // The last recorded error; any password of the connection string in it
    // is masked.
    const std::string& GetLastErrorText() const { return lastErrorText_; }
    // The SQLSTATE of the last recorded error (empty for errors of our own).
    const std::string& GetLastSqlState() const { return lastSqlState_; }
    void RecordComError(const ComError& error);

    // True when the open connection's server reads a backslash in a string
    // literal as an escape (MariaDB and MySQL unless NO_BACKSLASH_ESCAPES).
    bool BackslashEscapes() const { return backslashEscapes_; }

private:
    void EndTransaction(SQLSMALLINT completion, const char* what);
    void RequireOpen(const char* what) const;
    bool DetectBackslashEscapes();
    // The first column of the first row of a query, if it ran.
    std::optional<std::string> QueryText(const std::string& sql);

    OdbcEnvironment env_;
    OdbcHandle<SQL_HANDLE_DBC> dbc_;
    bool connected_ = false;
    std::string connectionString_;
    std::string lastErrorText_;
    std::string lastSqlState_;
    bool backslashEscapes_ = false;
};

// The standard meaning of an SQLSTATE, e.g. "08001" gives
// "Client unable to establish connection".
std::string SqlStateMeaning(const std::string& sqlState);

} // namespace vantix
