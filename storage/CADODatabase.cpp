#include "storage/CADODatabase.h"

#include "storage/OdbcCatalog.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace vantix {

namespace {

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// ODBC messages start with the reporting components in brackets:
// "[unixODBC][Driver Manager]Data source name not found...".
std::pair<std::string, std::string> SplitSource(const std::string& message) {
    size_t at = 0;
    while (at < message.size() && message[at] == '[') {
        const size_t close = message.find(']', at);
        if (close == std::string::npos) break;
        at = close + 1;
    }
    return {message.substr(0, at), message.substr(at)};
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// MariaDB's and MySQL's drivers ignore the ODBC login timeout and have no
// client-side limit on a call: a server that stops answering would hold the
// connection for good. They take their timeouts from the connection string
// only, so add them where the user has not set them.
std::string WithDriverTimeouts(const std::string& connectionString, int loginSeconds, int callSeconds) {
    const auto pairs = SplitConnectionString(connectionString);
    bool mysqlFamily = false;
    for (const auto& [key, value] : pairs)
        if (Lower(key) == "driver") {
            const std::string driver = Lower(value);
            mysqlFamily = driver.find("mariadb") != std::string::npos || driver.find("mysql") != std::string::npos;
        }
    if (!mysqlFamily) return connectionString;
    std::string full = connectionString;
    const std::pair<const char*, int> timeouts[] = {
        {"conn_timeout", loginSeconds}, {"read_timeout", callSeconds}, {"write_timeout", callSeconds}};
    for (const auto& [name, seconds] : timeouts) {
        bool set = false;
        for (const auto& pair : pairs) set = set || Lower(pair.first) == name;
        if (set) continue;
        if (!full.empty() && full.back() != ';') full += ';';
        full += Upper(name) + "=" + std::to_string(seconds) + ";";
    }
    return full;
}

std::string TrimLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

} // namespace

ComError::ComError(uint32_t code, std::string meaning, std::string source, std::string description,
                   std::string sqlState)
    : std::runtime_error(description), code_(code), meaning_(std::move(meaning)), source_(std::move(source)),
      description_(std::move(description)), sqlState_(std::move(sqlState)) {}

ComError ComError::FromOdbc(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& fallback) {
    // The code, its meaning and the source come from the first error record
    // (warnings such as 01000 only when nothing else is there); every
    // record's text goes into the description.
    std::string state;
    std::string source;
    std::string description;
    SQLINTEGER primaryNative = 0;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        SQLCHAR sqlState[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRec(handleType, handle, record, sqlState, &native, text, sizeof text, &length);
        if (!Succeeded(rc)) break;
        const std::string recordState = reinterpret_cast<char*>(sqlState);
        auto [recordSource, recordText] = SplitSource(TrimLineEnds(reinterpret_cast<char*>(text)));
        if (state.empty() || (state.compare(0, 2, "01") == 0 && recordState.compare(0, 2, "01") != 0)) {
            state = recordState;
            primaryNative = native;
            source = recordSource;
        }
        if (!description.empty()) description += '\n';
        description += recordText;
    }
    if (state.empty()) return ComError(0xFFFFFFFFu, "Unknown error", "ODBC", fallback);
    if (source.empty()) source = "ODBC";
    return ComError(static_cast<uint32_t>(primaryNative), "SQLSTATE " + state + ": " + SqlStateMeaning(state), source,
                    description, state);
}

std::string SqlStateMeaning(const std::string& s) {
    struct Known {
        const char* state;
        const char* meaning;
    };
    // The states a connection and a procedure call usually meet, then classes.
    static const Known kStates[] = {
        {"01000", "General warning"},
        {"01004", "String data, right truncated"},
        {"07002", "COUNT field incorrect"},
        {"08001", "Client unable to establish connection"},
        {"08002", "Connection name in use"},
        {"08003", "Connection not open"},
        {"08004", "Server rejected the connection"},
        {"08S01", "Communication link failure"},
        {"22001", "String data, right truncated"},
        {"22007", "Invalid datetime format"},
        {"22P02", "Invalid text representation"},
        {"25000", "Invalid transaction state"},
        {"28000", "Invalid authorization: login refused"},
        {"40001", "Serialization failure"},
        {"42000", "Syntax error or access violation"},
        {"42601", "Syntax error"},
        {"42883", "Undefined function"},
        {"42P01", "Base table or view not found"},
        {"HY000", "General error"},
        {"HY001", "Memory allocation error"},
        {"HY010", "Function sequence error"},
        {"HYT00", "Timeout expired"},
        {"HYT01", "Connection timeout expired"},
        {"IM002", "Data source name not found and no default driver specified"},
        {"IM003", "Specified driver could not be loaded"},
        {"IM004", "Driver's SQLAllocHandle on SQL_HANDLE_ENV failed"},
    };
    static const Known kClasses[] = {
        {"01", "Warning"},
        {"07", "Dynamic SQL error"},
        {"08", "Connection exception"},
        {"21", "Cardinality violation"},
        {"22", "Data exception"},
        {"23", "Integrity constraint violation"},
        {"24", "Invalid cursor state"},
        {"25", "Invalid transaction state"},
        {"28", "Invalid authorization: login refused"},
        {"3D", "Invalid catalog name"},
        {"40", "Transaction rollback"},
        {"42", "Syntax error or access violation"},
        {"HY", "General driver error"},
        {"IM", "Driver manager error"},
    };
    for (const Known& k : kStates)
        if (s == k.state) return k.meaning;
    for (const Known& k : kClasses)
        if (s.compare(0, 2, k.state) == 0) return k.meaning;
    return "Unknown SQLSTATE";
}

OdbcEnvironment::OdbcEnvironment() {
    if (!Succeeded(env_.Allocate(SQL_NULL_HANDLE))) {
        env_.Reset();
        return;
    }
    SQLSetEnvAttr(env_.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
}

CADODatabase::CADODatabase() = default;

CADODatabase::~CADODatabase() {
    try {
        Close();
    } catch (const ComError&) {
        // Nobody is left to tell; the handles are freed below all the same.
    }
}

bool CADODatabase::Open(const std::string& connectionString, const std::string& user, const std::string& password) {
    try {
        Close();
    } catch (const ComError&) {
        // The old connection is gone either way (Close frees its handle);
        // a failed goodbye must not stop the new connection.
    }
    if (!connectionString.empty()) connectionString_ = connectionString;
    backslashEscapes_ = false;
    try {
        if (!env_.Valid()) throw ComError(0xFFFFFFFFu, "Unknown error", "ODBC", "The ODBC environment cannot be created.");
        if (!Succeeded(dbc_.Allocate(env_.Get())))
            throw ComError::FromOdbc(SQL_HANDLE_ENV, env_.Get(), "The ODBC connection cannot be created.");
        SQLSetConnectAttr(dbc_.Get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
        // The server's own statement timeout ends a call first; the read
        // timeout only ends one that gets no answer at all.
        std::string full = WithDriverTimeouts(connectionString_, kLoginTimeoutSeconds, kStatementTimeoutSeconds + 2);
        if (!user.empty()) full += (full.empty() || full.back() == ';' ? "" : ";") + std::string("UID=") + user;
        if (!password.empty()) full += (full.empty() || full.back() == ';' ? "" : ";") + std::string("PWD=") + password;
        SQLCHAR out[1024];
        SQLSMALLINT outLength = 0;
        const SQLRETURN rc = SQLDriverConnect(dbc_.Get(), nullptr, reinterpret_cast<SQLCHAR*>(full.data()),
                                              static_cast<SQLSMALLINT>(full.size()), out, sizeof out, &outLength,
                                              SQL_DRIVER_NOPROMPT);
        if (!Succeeded(rc)) throw ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), "The connection failed.");
        connected_ = true;
        backslashEscapes_ = DetectBackslashEscapes();
        return true;
    } catch (const ComError& error) {
        RecordComError(error);
        dbc_.Reset();
        return false;
    }
}

bool CADODatabase::Execute(const std::string& sql) {
    try {
        RequireOpen("Execute");
        OdbcHandle<SQL_HANDLE_STMT> stmt;
        if (!Succeeded(stmt.Allocate(dbc_.Get())))
            throw ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), "The statement cannot be created.");
        // A server that does not answer ends the call instead of holding it.
        SQLSetStmtAttr(stmt.Get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kStatementTimeoutSeconds), 0);
        std::string text = sql;
        const SQLRETURN rc = SQLExecDirect(stmt.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                           static_cast<SQLINTEGER>(text.size()));
        // SQL_NO_DATA: the statement ran and touched no rows.
        if (!Succeeded(rc) && rc != SQL_NO_DATA)
            throw ComError::FromOdbc(SQL_HANDLE_STMT, stmt.Get(), "The statement failed.");
        return true;
    } catch (const ComError& error) {
        RecordComError(error);
        return false;
    }
}

bool CADODatabase::DetectBackslashEscapes() {
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!Succeeded(SQLGetInfo(dbc_.Get(), SQL_DBMS_NAME, name, sizeof name, &length))) return false;
    const std::string dbms = Lower(reinterpret_cast<char*>(name));
    if (dbms.find("mysql") == std::string::npos && dbms.find("mariadb") == std::string::npos) return false;
    // The server's default; only this mode turns it off.
    const std::optional<std::string> mode = QueryText("SELECT @@sql_mode");
    return !mode || mode->find("NO_BACKSLASH_ESCAPES") == std::string::npos;
}

std::optional<std::string> CADODatabase::QueryText(const std::string& sql) {
    OdbcHandle<SQL_HANDLE_STMT> stmt;
    if (!Succeeded(stmt.Allocate(dbc_.Get()))) return std::nullopt;
    SQLSetStmtAttr(stmt.Get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kStatementTimeoutSeconds), 0);
    std::string text = sql;
    if (!Succeeded(SQLExecDirect(stmt.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                 static_cast<SQLINTEGER>(text.size()))) ||
        !Succeeded(SQLFetch(stmt.Get())))
        return std::nullopt;
    SQLCHAR value[1024] = {};
    SQLLEN length = 0;
    if (!Succeeded(SQLGetData(stmt.Get(), 1, SQL_C_CHAR, value, sizeof value, &length)) || length == SQL_NULL_DATA)
        return std::nullopt;
    return std::string(reinterpret_cast<char*>(value));
}

void CADODatabase::Close() {
    if (!dbc_.Valid()) return;
    const bool wasConnected = std::exchange(connected_, false);
    const SQLRETURN rc = wasConnected ? SQLDisconnect(dbc_.Get()) : SQL_SUCCESS;
    if (!Succeeded(rc)) {
        // A transaction still open: roll it back so the handle can go.
        SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), SQL_ROLLBACK);
        ComError error = ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), "The connection cannot be closed.");
        SQLDisconnect(dbc_.Get());
        dbc_.Reset();
        throw error;
    }
    dbc_.Reset();
}

void CADODatabase::RequireOpen(const char* what) const {
    if (!connected_)
        throw ComError(0x800A0E78u, "Operation is not allowed when the object is closed.", "CADODatabase",
                       std::string(what) + ": the connection is not open.");
}

void CADODatabase::BeginTransaction() {
    RequireOpen("BeginTransaction");
    const SQLRETURN rc = SQLSetConnectAttr(dbc_.Get(), SQL_ATTR_AUTOCOMMIT,
                                           reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
    if (!Succeeded(rc)) throw ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), "The transaction cannot begin.");
}

void CADODatabase::CommitTransaction() { EndTransaction(SQL_COMMIT, "CommitTransaction"); }

void CADODatabase::RollbackTransaction() { EndTransaction(SQL_ROLLBACK, "RollbackTransaction"); }

void CADODatabase::EndTransaction(SQLSMALLINT completion, const char* what) {
    RequireOpen(what);
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), completion);
    if (!Succeeded(rc)) throw ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), std::string(what) + " failed.");
    rc = SQLSetConnectAttr(dbc_.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                           SQL_IS_UINTEGER);
    if (!Succeeded(rc)) throw ComError::FromOdbc(SQL_HANDLE_DBC, dbc_.Get(), std::string(what) + " failed.");
}

void CADODatabase::RecordComError(const ComError& error) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(error.Code()));
    lastErrorText_ = MaskPasswords("Connection String = " + connectionString_ + "\n" + "CADODataBase Error\n\tCode = " +
                                   code + "\n\tCode meaning = " + error.Meaning() + "\n\tSource = " + error.Source() +
                                   "\n\tDescription = " + error.Description() + "\n");
    lastSqlState_ = error.SqlState();
}

} // namespace vantix
