// The floor an import of transactions from CSV is judged against: the same
// rows, read from the same file, inserted into the same book through
// SQLite's own interface by a program doing nothing else (one prepared
// statement, the triggers off for its connection), the kept balances then
// filled with one grouped statement, all in one transaction with the book's
// durability (rollback journal, synchronous FULL) and the import's page
// cache. Reads the file "date,from,to,amount,particulars" as brindlecot-cli
// export writes it: ISO dates, account names, plain amounts.
//
//     importfloor BOOK FILE

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    std::fprintf(stderr, "importfloor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

void exec(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, sql);
}

// One CSV record (quoted fields, doubled quotes, quoted line breaks).
bool readRecord(std::istream &in, std::vector<std::string> &fields)
{
    fields.assign(1, std::string());
    bool quoted = false, any = false;
    char c;
    while (in.get(c)) {
        any = true;
        if (quoted) {
            if (c == '"') {
                if (in.peek() == '"') {
                    in.get(c);
                    fields.back() += '"';
                } else {
                    quoted = false;
                }
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            return true;
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return any;
}

// Whole cents of a plain amount ("-12.5", "1234.56").
long long cents(const std::string &text)
{
    return std::llround(std::strtod(text.c_str(), nullptr) * 100.0);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: importfloor BOOK FILE\n");
        return 2;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        fail(db, "open");
    exec(db, "PRAGMA foreign_keys = ON");
    exec(db, "PRAGMA synchronous = FULL");
    exec(db, "PRAGMA cache_size = -65536");
    std::unordered_map<std::string, long long> accounts;
    sqlite3_stmt *q = nullptr;
    sqlite3_prepare_v2(db, "SELECT account_name, account_id FROM account_master", -1, &q, nullptr);
    while (sqlite3_step(q) == SQLITE_ROW)
        accounts.emplace(reinterpret_cast<const char *>(sqlite3_column_text(q, 0)), sqlite3_column_int64(q, 1));
    sqlite3_finalize(q);

    std::ifstream in(argv[2], std::ios::binary);
    std::vector<std::string> fields;
    if (!in || !readRecord(in, fields))
        fail(nullptr, "the file cannot be read");
    exec(db, "BEGIN IMMEDIATE");
    int off = 0;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &off);
    sqlite3_prepare_v2(db, "SELECT coalesce(max(tran_id), 0) FROM transaction_master", -1, &q, nullptr);
    sqlite3_step(q);
    long long id = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    sqlite3_stmt *insert = nullptr;
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                           "amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', ?, ?, "
                           "'2026-01-01 00:00:00')",
                           -1, &insert, nullptr)
        != SQLITE_OK)
        fail(db, "prepare");
    long long rows = 0;
    while (readRecord(in, fields)) {
        if (fields.size() < 5)
            continue;
        sqlite3_bind_int64(insert, 1, ++id);
        sqlite3_bind_text(insert, 2, fields[0].data(), int(fields[0].size()), SQLITE_STATIC);
        sqlite3_bind_int64(insert, 3, accounts.at(fields[1]));
        sqlite3_bind_int64(insert, 4, accounts.at(fields[2]));
        if (fields[3].empty())
            sqlite3_bind_null(insert, 5);
        else
            sqlite3_bind_int64(insert, 5, cents(fields[3]));
        sqlite3_bind_text(insert, 6, fields[4].data(), int(fields[4].size()), SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            fail(db, "insert");
        sqlite3_reset(insert);
        ++rows;
    }
    sqlite3_finalize(insert);
    exec(db,
         "INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out) "
         "SELECT account, flag, month, sum(money_in), sum(count_in), sum(money_out), sum(count_out) FROM ("
         "  SELECT to_acc AS account, to_flag AS flag, substr(tran_date, 1, 7) AS month, "
         "         sum(coalesce(amount, 0)) AS money_in, count(*) AS count_in, 0 AS money_out, 0 AS count_out "
         "    FROM transaction_master GROUP BY to_acc, to_flag, substr(tran_date, 1, 7) "
         "  UNION ALL "
         "  SELECT from_acc, from_flag, substr(tran_date, 1, 7), 0, 0, sum(coalesce(amount, 0)), count(*) "
         "    FROM transaction_master GROUP BY from_acc, from_flag, substr(tran_date, 1, 7)"
         ") AS sides GROUP BY account, flag, month "
         "ON CONFLICT DO UPDATE SET money_in = excluded.money_in, count_in = excluded.count_in, "
         "money_out = excluded.money_out, count_out = excluded.count_out");
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, &off);
    exec(db, "COMMIT");
    sqlite3_close(db);
    std::printf("{\"rows\": %lld}\n", rows);
    return 0;
}
