#include "common/connection/ConnectionValue.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(QuoteConnectionValue, BracesExactlyTheValuesODBCWouldSplitOrTrim) {
    struct Case {
        const char* value;
        const char* quoted;
    };
    for (const Case& c : {
             Case{"", ""},
             Case{"orders", "orders"},
             Case{"C:\\data\\orders (2).mdb", "C:\\data\\orders (2).mdb"},
             Case{"pw;Database=other", "{pw;Database=other}"},
             Case{"a=b", "{a=b}"},
             Case{"{x", "{{x}"},
             Case{"x}", "{x}}}"},
             Case{"p;w}d=1", "{p;w}}d=1}"},
             Case{"}}", "{}}}}}"},
             Case{" lead", "{ lead}"},
             Case{"trail ", "{trail }"},
             Case{"in side", "in side"},
         })
        EXPECT_EQ(QuoteConnectionValue(c.value), c.quoted) << c.value;
}

TEST(ServerConnectionValue, KeepsPortAndProtocolOptionsAndQuotesEverythingElse) {
    struct Case {
        const char* server;
        const char* value;
    };
    for (const Case& c : {
             Case{"db.example", "db.example"},
             Case{"127.0.0.1;Port=5433", "127.0.0.1;Port=5433"},
             Case{"127.0.0.1;port=5433;Protocol=7.4-1", "127.0.0.1;port=5433;Protocol=7.4-1"},
             Case{"h=1;Port=5433", "{h=1};Port=5433"},
             Case{"127.0.0.1;Database=other", "{127.0.0.1;Database=other}"},
             Case{"127.0.0.1;Port=5433;Database=other", "{127.0.0.1;Port=5433;Database=other}"},
             Case{"127.0.0.1;Port=54x", "{127.0.0.1;Port=54x}"},
             Case{"127.0.0.1;Port=123456", "{127.0.0.1;Port=123456}"},
             Case{"127.0.0.1;Port=", "{127.0.0.1;Port=}"},
             Case{"127.0.0.1;", "{127.0.0.1;}"},
         }) {
        ServerValue server = ServerConnectionValue("PostgreSQL Unicode", c.server);
        EXPECT_EQ(server.value, c.value) << c.server;
        // Braces only under the key the driver reads: some split them under others.
        EXPECT_TRUE(server.asServer) << c.server;
        EXPECT_EQ(server.asFile, server.value[0] != '{') << c.server;
    }
    ServerValue file = ServerConnectionValue("Microsoft Access Driver (*.mdb)", "C:\\a;b.mdb");
    EXPECT_EQ(file.value, "{C:\\a;b.mdb}");
    EXPECT_FALSE(file.asServer);
    EXPECT_TRUE(file.asFile);
    ServerValue plainFile = ServerConnectionValue("Microsoft Access Driver (*.mdb)", "C:\\a.mdb");
    EXPECT_TRUE(plainFile.asServer && plainFile.asFile);
}

TEST(NamesNoDriver, EmptyBlankAndTheListsNoneEntry) {
    for (const char* none : {"", " ", "\t ", "(None)"}) EXPECT_TRUE(NamesNoDriver(none)) << none;
    for (const char* some : {"SQLite3", " SQLite3", "(none) driver"})
        EXPECT_FALSE(NamesNoDriver(some)) << some;
}

}  // namespace
}  // namespace tarn
