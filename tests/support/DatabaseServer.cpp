// The PostgreSQL and MariaDB servers of the tests and what they share.
#include "tests/support/DatabaseServer.h"
#include "tests/support/ChildProcess.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tests/support/MariaDbServer.h"
#include "tests/support/PgServer.h"
#include "tests/support/Wait.h"

namespace vantix::test {

namespace {

namespace fs = std::filesystem;

// The servers of the test program, started on first use.
template <class Server>
std::unique_ptr<Server>& SharedSlot() {
    static std::unique_ptr<Server> server;
    return server;
}

template <class Server>
Server& SharedServer() {
    auto& slot = SharedSlot<Server>();
    if (!slot) slot = std::make_unique<Server>();
    return *slot;
}

// The state letter and parent of a /proc/.../stat entry; state 0 when gone.
std::pair<char, int> ProcState(const fs::path& stat) {
    std::ifstream in(stat);
    std::string text;
    char state = 0;
    int ppid = 0;
    const size_t close = std::getline(in, text) ? text.rfind(')') : std::string::npos;
    if (close == std::string::npos || std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) != 2) return {0, 0};
    return {state, ppid};
}

// Every thread of the process is stopped (or the process is gone, or a
// zombie: a backend that ended just then never runs again).
bool Stopped(pid_t pid) {
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
        if (const char state = ProcState(task.path() / "stat").first; state && !std::strchr("TtZX", state))
            return false;
    return true;
}

// The table and the procedure the program calls; a media ID "FAIL" is refused.
const char* kPgSchema =
    "CREATE TABLE registrations ("
    " id serial PRIMARY KEY, media_id text NOT NULL, reg_date text NOT NULL, reg_datetime text NOT NULL,"
    " kind text NOT NULL, reader_id integer NOT NULL, code integer NOT NULL);"
    "CREATE PROCEDURE spVantixReg(p_media text, p_date text, p_datetime text, p_kind text,"
    " p_id integer, p_code integer) LANGUAGE plpgsql AS $$ BEGIN"
    " IF p_media = 'FAIL' THEN RAISE EXCEPTION 'refused media id %', p_media; END IF;"
    " INSERT INTO registrations(media_id, reg_date, reg_datetime, kind, reader_id, code)"
    " VALUES (p_media, p_date, p_datetime, p_kind, p_id, p_code); END $$;";

// The procedure needs its own statement delimiter in the client.
const char* kMariaDbSchema =
    "CREATE TABLE registrations ("
    " id INT AUTO_INCREMENT PRIMARY KEY, media_id TEXT NOT NULL, reg_date TEXT NOT NULL,"
    " reg_datetime TEXT NOT NULL, kind TEXT NOT NULL, reader_id INT NOT NULL, code INT NOT NULL)"
    " DEFAULT CHARSET=utf8mb4;\n"
    "DELIMITER //\n"
    "CREATE PROCEDURE spVantixReg(p_media TEXT, p_date TEXT, p_datetime TEXT, p_kind TEXT, p_id INT, p_code INT)"
    " BEGIN"
    " IF p_media = 'FAIL' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused media id FAIL'; END IF;"
    " INSERT INTO registrations(media_id, reg_date, reg_datetime, kind, reader_id, code)"
    " VALUES (p_media, p_date, p_datetime, p_kind, p_id, p_code); END//\n"
    "DELIMITER ;\n";

std::string FindPgBinDir() {
    std::string best;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql"))
        if (fs::exists(entry.path() / "bin" / "initdb") && (best.empty() || entry.path().string() > best))
            best = (entry.path() / "bin").string();
    if (best.empty()) throw std::runtime_error("no PostgreSQL server installed under /usr/lib/postgresql");
    return best;
}

// PostgreSQL refuses to run as root: every server command runs as postgres.
std::string AsPostgres(const std::string& command) {
    return ::geteuid() == 0 ? "runuser -u postgres -- " + command : command;
}

} // namespace

DatabaseServer::DatabaseServer(const std::string& kind) {
    std::string pattern = "/tmp/vantix-" + kind + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    port_ = FreePort();
}

DatabaseServer::~DatabaseServer() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string DatabaseServer::MediaIds() const {
    std::string ids = Query("SELECT media_id FROM registrations ORDER BY id");
    std::replace(ids.begin(), ids.end(), '\n', ',');
    return ids;
}

void DatabaseServer::Suspend(bool stop) const {
    // The main process and everything below it, found through /proc.
    std::vector<pid_t> pids{static_cast<pid_t>(ServerPid())};
    for (size_t i = 0; i < pids.size(); ++i)
        for (const auto& entry : fs::directory_iterator("/proc"))
            if (ProcState(entry.path() / "stat").second == pids[i])
                pids.push_back(std::stoi(entry.path().filename().string()));
    for (pid_t pid : pids) ::kill(pid, stop ? SIGSTOP : SIGCONT);
    // A stop signal takes effect asynchronously: a busy machine may let the
    // server answer one more request unless we wait for it to be stopped.
    if (stop)
        for (pid_t pid : pids)
            if (!WaitFor([pid] { return Stopped(pid); })) {
                for (pid_t started : pids) ::kill(started, SIGCONT); // never leave it half stopped
                throw std::runtime_error("server process " + std::to_string(pid) + " did not stop");
            }
}

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0;
    ::close(fd);
    if (!bound) throw std::runtime_error("no free port");
    return ntohs(addr.sin_port);
}

// PostgreSQL: the data directory belongs to postgres, the server listens on
// 127.0.0.1 and on a socket in the directory.
PgServer::PgServer() : DatabaseServer("pg"), binDir_(FindPgBinDir()) {
    if (::geteuid() == 0) RunCommand("chown postgres: " + dir_);
    const std::string data = dir_ + "/data";
    RunCommand(AsPostgres(binDir_ + "/initdb -N -A trust -U postgres -E UTF8 -D " + data + " >/dev/null 2>&1"));
    RunCommand(AsPostgres(binDir_ + "/pg_ctl -w -D " + data + " -l " + dir_ + "/log -o " +
                          ShellQuote("-p " + std::to_string(port_) + " -k " + dir_ +
                                     " -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off") +
                          " start >/dev/null"));
    started_ = true;
    RunCommand(PsqlFor("postgres") + " -c 'CREATE DATABASE vantix'");
    Query(kPgSchema);
}

PgServer::~PgServer() {
    try {
        if (started_) RunCommand(AsPostgres(binDir_ + "/pg_ctl -D " + dir_ + "/data -m immediate stop >/dev/null 2>&1"));
    } catch (const std::exception&) {
        // Removing the directory is all that is left to do.
    }
}

std::string PgServer::PsqlFor(const std::string& database) const {
    return "psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " + std::to_string(port_) + " -U postgres -d " + database;
}

std::string PgServer::PsqlCommand() const { return PsqlFor("vantix"); }

std::string PgServer::ConnectionString() const {
    return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
           ";Database=vantix;Uid=postgres;Pwd=;";
}

std::string PgServer::Query(const std::string& sql) const {
    return RunCommand(PsqlCommand() + " -At -c " + ShellQuote(sql) + " 2>&1");
}

int PgServer::ServerPid() const { return std::stoi(RunCommand("head -1 " + dir_ + "/data/postmaster.pid")); }

PgServer& PgServer::Shared() { return SharedServer<PgServer>(); }

std::string PgServer::HoldLockCommand(int seconds) const {
    return PsqlCommand() + " -c " +
           ShellQuote("BEGIN; LOCK TABLE registrations IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep(" +
                      std::to_string(seconds) + ")");
}

bool PgServer::Locked() const {
    return Query("SELECT count(*) FROM pg_locks l JOIN pg_class c ON l.relation = c.oid"
                 " WHERE c.relname = 'registrations' AND l.mode = 'AccessExclusiveLock' AND l.granted") == "1";
}

void PgServer::ReleaseLock() const {
    Query("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity"
          " WHERE query LIKE '%pg_sleep(%' AND pid <> pg_backend_pid()");
}

void PgServerEnvironment::TearDown() {
    SharedSlot<PgServer>().reset();
    SharedSlot<MariaDbServer>().reset();
}

// MariaDB: the server refuses root unless told to run as root.
MariaDbServer::MariaDbServer() : DatabaseServer("mariadb") {
    const std::string user = ::geteuid() == 0 ? " --user=root" : "";
    RunCommand("mariadb-install-db --no-defaults --auth-root-authentication-method=normal --skip-test-db"
               " --datadir=" + dir_ + "/data" + user + " >" + dir_ + "/install.log 2>&1");
    RunCommand("mariadbd --no-defaults --datadir=" + dir_ + "/data --socket=" + dir_ + "/sock --port=" +
               std::to_string(port_) + " --bind-address=127.0.0.1 --pid-file=" + dir_ +
               "/pid --skip-log-bin --innodb-buffer-pool-size=16M --innodb-log-file-size=8M"
               " --skip-name-resolve --log-error=" + dir_ + "/log" + user + " </dev/null >/dev/null 2>&1 &");
    started_ = true;
    const std::string ping = "mariadb-admin --no-defaults --socket=" + dir_ + "/sock -uroot ping >/dev/null 2>&1";
    if (!WaitFor([&] { return std::system(ping.c_str()) == 0; }, std::chrono::seconds(60)))
        throw std::runtime_error("mariadbd did not start; see " + dir_ + "/log");
    RunCommand(Client() + " -e 'CREATE DATABASE vantix'");
    RunCommand("printf '%s' " + ShellQuote(kMariaDbSchema) + " | " + Client() + " vantix");
}

MariaDbServer::~MariaDbServer() {
    try {
        if (!started_) return;
        const int pid = ServerPid();
        ::kill(pid, SIGCONT); // a test may have stopped it
        ::kill(pid, SIGKILL);
        WaitFor([&] { return ::kill(pid, 0) != 0; });
    } catch (const std::exception&) {
        // No pid file: the server never came up.
    }
}

std::string MariaDbServer::Client() const {
    return "mariadb --no-defaults --socket=" + dir_ + "/sock -uroot --default-character-set=utf8mb4";
}

std::string MariaDbServer::ConnectionString() const {
    return "Driver={MariaDB Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
           ";Database=vantix;User=root;Password=;";
}

std::string MariaDbServer::Query(const std::string& sql) const {
    std::string out = RunCommand(Client() + " --batch --raw --skip-column-names vantix -e " + ShellQuote(sql) + " 2>&1");
    std::replace(out.begin(), out.end(), '\t', '|');
    return out;
}

int MariaDbServer::ServerPid() const { return std::stoi(RunCommand("cat " + dir_ + "/pid")); }

MariaDbServer& MariaDbServer::Shared() { return SharedServer<MariaDbServer>(); }

std::string MariaDbServer::HoldLockCommand(int seconds) const {
    return Client() + " vantix -e " +
           ShellQuote("LOCK TABLES registrations WRITE; SELECT SLEEP(" + std::to_string(seconds) + ")");
}

bool MariaDbServer::Locked() const {
    return Query("SELECT count(*) FROM information_schema.processlist WHERE info LIKE 'SELECT SLEEP(%'") == "1";
}

void MariaDbServer::ReleaseLock() const {
    std::istringstream ids(Query("SELECT id FROM information_schema.processlist WHERE info LIKE 'SELECT SLEEP(%'"));
    for (std::string id; std::getline(ids, id);)
        if (!id.empty()) Query("KILL " + id);
}

} // namespace vantix::test
