#include "tests/support/MariaDbServer.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tests/support/Wait.h"

namespace vantix::test {

namespace {

std::unique_ptr<MariaDbServer>& SharedSlot() {
    static std::unique_ptr<MariaDbServer> server;
    return server;
}

// The procedure needs its own statement delimiter in the client.
const char* kSchema =
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

} // namespace

MariaDbServer::MariaDbServer() {
    char pattern[] = "/tmp/vantix-mariadb-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    port_ = FreePort();
    // The server refuses root unless told to run as root.
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
    RunCommand("printf '%s' " + ShellQuote(kSchema) + " | " + Client() + " vantix");
}

MariaDbServer::~MariaDbServer() {
    if (started_) {
        try {
            const int pid = ServerPid();
            ::kill(pid, SIGCONT); // a test may have stopped it
            ::kill(pid, SIGKILL);
            WaitFor([&] { return ::kill(pid, 0) != 0; });
        } catch (const std::exception&) {
            // No pid file: the server never came up.
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
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
    for (char& c : out)
        if (c == '\t') c = '|';
    return out;
}

int MariaDbServer::ServerPid() const { return std::stoi(RunCommand("cat " + dir_ + "/pid")); }

MariaDbServer& MariaDbServer::Shared() {
    auto& slot = SharedSlot();
    if (!slot) slot = std::make_unique<MariaDbServer>();
    return *slot;
}

void MariaDbServer::StopShared() { SharedSlot().reset(); }

std::string MariaDbServer::HoldLockCommand(int seconds) const {
    return Client() + " vantix -e " +
           ShellQuote("LOCK TABLES registrations WRITE; SELECT SLEEP(" + std::to_string(seconds) + ")");
}

bool MariaDbServer::Locked() const {
    return Query("SELECT count(*) FROM information_schema.processlist WHERE info LIKE 'SELECT SLEEP(%'") == "1";
}

void MariaDbServer::ReleaseLock() const {
    const std::string ids =
        Query("SELECT id FROM information_schema.processlist WHERE info LIKE 'SELECT SLEEP(%'");
    std::istringstream in(ids);
    for (std::string id; std::getline(in, id);)
        if (!id.empty()) Query("KILL " + id);
}

} // namespace vantix::test
