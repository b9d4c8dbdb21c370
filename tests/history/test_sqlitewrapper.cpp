#include "history/CppSQLite3Exception.h"
#include "history/SqliteConnection.h"
#include "history/SqliteStatementText.h"

#include "support/TempDirTest.h"

#include <chrono>
#include <string>

namespace {

// Runs `body`, which must throw; returns the exception's code and message.
template <typename Body> std::pair<int, std::string> Failure(Body body) {
    try {
        body();
    } catch (const CppSQLite3Exception& e) {
        return {e.ErrorCode(), e.ErrorMessage()};
    }
    ADD_FAILURE() << "no CppSQLite3Exception";
    return {0, {}};
}

class SqliteWrapperTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        db_.Open(Path("w.db").toUtf8().constData());
        db_.Execute("CREATE TABLE t(a INTEGER, b TEXT);"
                    "INSERT INTO t VALUES (1, 'one'), (NULL, NULL), (3, '42abc');");
    }
    SqliteConnection db_;
};

} // namespace

TEST(CppSQLite3ExceptionTest, MessagesNameTheCode) {
    EXPECT_STREQ(CppSQLite3Exception(0, "fine").ErrorMessage(), "SQLITE_OK[0]: fine");
    EXPECT_STREQ(CppSQLite3Exception(1, nullptr).ErrorMessage(), "SQLITE_ERROR[1]: ");
    EXPECT_STREQ(CppSQLite3Exception(5, "x").ErrorMessage(), "SQLITE_BUSY[5]: x");
    EXPECT_STREQ(CppSQLite3Exception(25, "x").ErrorMessage(), "SQLITE_RANGE[25]: x");
    EXPECT_STREQ(CppSQLite3Exception(26, "file is not a database").ErrorMessage(),
                 "UNKNOWN_ERROR[26]: file is not a database");
    EXPECT_STREQ(CppSQLite3Exception(100, "").ErrorMessage(), "SQLITE_ROW[100]: ");
    EXPECT_STREQ(CppSQLite3Exception(101, "").ErrorMessage(), "SQLITE_DONE[101]: ");
    EXPECT_STREQ(CppSQLite3Exception(1000, "Database not open").ErrorMessage(),
                 "CPPSQLITE_ERROR[1000]: Database not open");
    EXPECT_STREQ(CppSQLite3Exception(-1, "x").ErrorMessage(), "UNKNOWN_ERROR[-1]: x");
    EXPECT_STREQ(CppSQLite3Exception(266, "x").ErrorMessage(), "UNKNOWN_ERROR[266]: x");

    // A copy owns its own text: the original may be gone when it is read.
    auto* original = new CppSQLite3Exception(14, "unable to open database file");
    CppSQLite3Exception copy(*original);
    delete original;
    EXPECT_EQ(copy.ErrorCode(), 14);
    EXPECT_STREQ(copy.what(), "SQLITE_CANTOPEN[14]: unable to open database file");
}

TEST_F(SqliteWrapperTest, ErrorsCarrySQLitesOwnText) {
    auto [code, message] = Failure([&] { db_.Query("SELECT a FROM missing;"); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(message, "SQLITE_ERROR[1]: no such table: missing");

    std::tie(code, message) = Failure([&] { db_.Execute("DELETE FROM missing;"); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(message, "SQLITE_ERROR[1]: no such table: missing");

    // Errors raised while stepping (not while preparing) are reported too.
    db_.Execute("CREATE TABLE u(x INTEGER UNIQUE); INSERT INTO u VALUES (1);");
    std::tie(code, message) = Failure([&] { db_.Query("INSERT INTO u VALUES (1) RETURNING x;"); });
    EXPECT_EQ(code, 19);
    EXPECT_EQ(message.rfind("SQLITE_CONSTRAINT[19]: UNIQUE constraint failed", 0), 0u) << message;
}

TEST_F(SqliteWrapperTest, ClosedConnectionAndBadOpen) {
    SqliteConnection closed;
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.BusyTimeout(), 60000);
    for (auto body : {+[](SqliteConnection& c) { c.Execute("SELECT 1;"); },
                      +[](SqliteConnection& c) { c.Query("SELECT 1;"); },
                      +[](SqliteConnection& c) { c.QueryInt("SELECT 1;"); }}) {
        auto [code, message] = Failure([&] { body(closed); });
        EXPECT_EQ(code, 1000);
        EXPECT_EQ(message, "CPPSQLITE_ERROR[1000]: Database not open");
    }

    auto [code, message] = Failure([&] { closed.Open(Path("no/such/folder/x.db").toUtf8().constData()); });
    EXPECT_EQ(code, 14);
    EXPECT_EQ(message, "SQLITE_CANTOPEN[14]: unable to open database file");
    EXPECT_FALSE(closed.IsOpen());
}

TEST_F(SqliteWrapperTest, ScalarQueries) {
    EXPECT_EQ(db_.QueryInt("SELECT COUNT(*) FROM t;"), 3);
    EXPECT_EQ(db_.QueryInt("SELECT b FROM t WHERE a = 3;"), 42); // leading digits only
    EXPECT_EQ(db_.QueryInt("SELECT b FROM t WHERE a = 1;"), 0);  // no digits
    EXPECT_EQ(db_.QueryInt("SELECT b FROM t WHERE a IS NULL;"), 0);
    EXPECT_TRUE(db_.HasTable("t"));
    EXPECT_FALSE(db_.HasTable("missing"));
    EXPECT_FALSE(db_.HasTable("t' OR 'x'='x"));

    auto [code, message] = Failure([&] { db_.QueryInt("SELECT a FROM t WHERE a = 99;"); });
    EXPECT_EQ(code, 1000);
    EXPECT_EQ(message, "CPPSQLITE_ERROR[1000]: Invalid scalar query");
    std::tie(code, message) = Failure([&] { db_.QueryInt("   "); });
    EXPECT_EQ(message, "CPPSQLITE_ERROR[1000]: Invalid scalar query");
}

TEST_F(SqliteWrapperTest, ResultSetStepsAndGuardsItsColumns) {
    SqliteResultSet rows = db_.Query("SELECT a, b FROM t ORDER BY rowid;");
    ASSERT_EQ(rows.ColumnCount(), 2);
    std::vector<std::string> seen;
    for (; !rows.AtEnd(); rows.Next()) {
        const char* b = rows.ColumnText(1);
        seen.push_back(std::to_string(rows.ColumnInt(0, -7)) + ":" + (b ? b : "(null)"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1:one", "-7:(null)", "3:42abc"}));

    SqliteResultSet one = db_.Query("SELECT a, b FROM t;");
    EXPECT_EQ(Failure([&] { one.ColumnText(2); }).second,
              "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    EXPECT_EQ(Failure([&] { one.ColumnInt(-1); }).second,
              "CPPSQLITE_ERROR[1000]: Invalid field index requested");
    one.Finalize();
    one.Finalize(); // only the first call finalises
    EXPECT_EQ(Failure([&] { one.ColumnText(0); }).second,
              "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");
    EXPECT_EQ(Failure([&] { one.Next(); }).second, "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer");

    SqliteResultSet empty = db_.Query("SELECT a FROM t WHERE a = 99;");
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(empty.ColumnCount(), 1);
}

TEST_F(SqliteWrapperTest, StatementTextsAreQuotedBySQLite) {
    SqliteStatementText sql;
    EXPECT_STREQ(sql.Format("%Q|%Q|%Q|'%ld'", "it's", "", static_cast<const char*>(nullptr), -5L),
                 "'it''s'|''|NULL|'-5'");
    // Formatting again replaces the text.
    EXPECT_STREQ(sql.Format("INSERT INTO t VALUES (7, %Q);", "O'Brien's \xE2\x82\xAC"),
                 "INSERT INTO t VALUES (7, 'O''Brien''s \xE2\x82\xAC');");
    db_.Execute(sql);
    SqliteResultSet rows = db_.Query("SELECT b FROM t WHERE a = 7;");
    EXPECT_STREQ(rows.ColumnText(0), "O'Brien's \xE2\x82\xAC");
}

TEST_F(SqliteWrapperTest, BusyTimeOutWaitsForOtherHolders) {
    SqliteConnection holder;
    holder.Open(Path("w.db").toUtf8().constData());
    holder.Execute("BEGIN EXCLUSIVE;");
    db_.SetBusyTimeout(300);
    const auto start = std::chrono::steady_clock::now();
    auto [code, message] = Failure([&] { db_.Execute("INSERT INTO t VALUES (9, 'x');"); });
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(code, 5);
    EXPECT_EQ(message, "SQLITE_BUSY[5]: database is locked");
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    holder.Execute("COMMIT;");
    EXPECT_EQ(db_.Execute("INSERT INTO t VALUES (9, 'x');"), 1);
}
