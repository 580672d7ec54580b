#include "tests/support/PgServer.h"

#include "tests/support/MariaDbServer.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace vantix::test {

namespace {

std::unique_ptr<PgServer>& SharedSlot() {
    static std::unique_ptr<PgServer> server;
    return server;
}

std::string FindBinDir() {
    namespace fs = std::filesystem;
    std::string best;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql")) {
        const fs::path initdb = entry.path() / "bin" / "initdb";
        if (fs::exists(initdb) && (best.empty() || entry.path().string() > best)) best = (entry.path() / "bin").string();
    }
    if (best.empty()) throw std::runtime_error("no PostgreSQL server installed under /usr/lib/postgresql");
    return best;
}

// PostgreSQL refuses to run as root: every server command runs as postgres.
std::string AsPostgres(const std::string& command) {
    return ::geteuid() == 0 ? "runuser -u postgres -- " + command : command;
}

const char* kSchema =
    "CREATE TABLE registrations ("
    " id serial PRIMARY KEY, media_id text NOT NULL, reg_date text NOT NULL, reg_datetime text NOT NULL,"
    " kind text NOT NULL, reader_id integer NOT NULL, code integer NOT NULL);"
    "CREATE PROCEDURE spVantixReg(p_media text, p_date text, p_datetime text, p_kind text,"
    " p_id integer, p_code integer) LANGUAGE plpgsql AS $$ BEGIN"
    " IF p_media = 'FAIL' THEN RAISE EXCEPTION 'refused media id %', p_media; END IF;"
    " INSERT INTO registrations(media_id, reg_date, reg_datetime, kind, reader_id, code)"
    " VALUES (p_media, p_date, p_datetime, p_kind, p_id, p_code); END $$;";

} // namespace

PgServer::PgServer() : binDir_(FindBinDir()) {
    char pattern[] = "/tmp/vantix-pg-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    if (::geteuid() == 0) RunCommand("chown postgres: " + dir_);
    port_ = FreePort();
    const std::string data = dir_ + "/data";
    RunCommand(AsPostgres(binDir_ + "/initdb -N -A trust -U postgres -E UTF8 -D " + data + " >/dev/null 2>&1"));
    RunCommand(AsPostgres(binDir_ + "/pg_ctl -w -D " + data + " -l " + dir_ + "/log -o " +
                   ShellQuote("-p " + std::to_string(port_) + " -k " + dir_ +
                              " -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off") +
                   " start >/dev/null"));
    started_ = true;
    RunCommand(PsqlFor("postgres") + " -c 'CREATE DATABASE vantix'");
    Query(kSchema);
}

PgServer::~PgServer() {
    if (started_) {
        try {
            RunCommand(AsPostgres(binDir_ + "/pg_ctl -D " + dir_ + "/data -m immediate stop >/dev/null 2>&1"));
        } catch (const std::exception&) {
            // Removing the directory below is all that is left to do.
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
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

PgServer& PgServer::Shared() {
    auto& slot = SharedSlot();
    if (!slot) slot = std::make_unique<PgServer>();
    return *slot;
}

void PgServerEnvironment::TearDown() {
    SharedSlot().reset();
    MariaDbServer::StopShared();
}

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

} // namespace vantix::test
