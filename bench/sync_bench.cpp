// Synchronises the largest handheld database there can be (65,535 records) one way and the
// other on SQLite, and sets each time beside a plain bulk insert of the same rows through the
// same driver in one transaction.
//
//   build/bench/sync_bench [records]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conduit/sync/testing/SyncHarness.h"

namespace {

using tarn::conduit::test::DoubleBytes;
using tarn::conduit::test::Int32Bytes;
using tarn::conduit::test::SyncHarness;
using tarn::conduit::test::TextBytes;
using Clock = std::chrono::steady_clock;

constexpr const char* kCreateTable =
    "CREATE TABLE Orders (OrderNo INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, Amount REAL, "
    "OrderDate TEXT, DeliveryTime TEXT)";

void AddOrderFields(tarn::clsTable& table) {
    table.Fields().Add("OrderNo", 3);
    table.Fields().Add("Customer", 6);
    table.Fields().Add("Region", 6);
    table.Fields().Add("Amount", 2);
    table.Fields().Add("OrderDate", 1);
    table.Fields().Add("DeliveryTime", 7);
    table.Fields().Add("##STATUSFLAG##", 8);
}

std::string Customer(int i) {
    return "Customer number " + std::to_string(i);
}

std::string InsertStatement(int i) {
    return "INSERT INTO Orders (OrderNo, Customer, Region, Amount, OrderDate, DeliveryTime) VALUES "
           "(" +
           std::to_string(i) + ", '" + Customer(i) + "', 'North', " + std::to_string(i) +
           ".25, '2005-12-31', '13:05:09')";
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double BulkInsert(int records) {
    SyncHarness h;
    h.Exec(kCreateTable);
    auto start = Clock::now();
    h.Exec("BEGIN");
    for (int i = 1; i <= records; ++i) h.Exec(InsertStatement(i));
    h.Exec("COMMIT");
    return Seconds(start);
}

double HandheldToDesktop(int records) {
    SyncHarness h("BNCH");
    h.Exec(kCreateTable);
    std::vector<std::string> data;
    data.reserve(records);
    for (int i = 1; i <= records; ++i)
        data.push_back(Int32Bytes(i) + TextBytes(Customer(i)) + TextBytes("North") +
                       DoubleBytes(i + 0.25) + DoubleBytes(1051231) + DoubleBytes(130509) +
                       Int32Bytes(0));
    h.WriteHandheld("OrdersDB", data, "BNCH");
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 2));
    h.Install();
    auto start = Clock::now();
    h.Sync();
    double seconds = Seconds(start);
    auto count = h.Query("SELECT COUNT(*) FROM Orders");
    if (h.Log().find("Completed Synchronization") == std::string::npos ||
        count[0][0].value_or("") != std::to_string(records)) {
        std::fprintf(stderr, "handheld to desktop did not complete:\n%s", h.Log().c_str());
        std::exit(1);
    }
    return seconds;
}

double DesktopToHandheld(int records) {
    SyncHarness h("BNCH");
    h.Exec(kCreateTable);
    h.Exec("BEGIN");
    for (int i = 1; i <= records; ++i) h.Exec(InsertStatement(i));
    h.Exec("COMMIT");
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 3));
    h.Install();
    auto start = Clock::now();
    h.Sync();
    double seconds = Seconds(start);
    if (h.Log().find("Completed Synchronization") == std::string::npos ||
        h.ReadHandheld("OrdersDB").size() != static_cast<size_t>(records)) {
        std::fprintf(stderr, "desktop to handheld did not complete:\n%s", h.Log().c_str());
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    double bulk = BulkInsert(records);
    double up = HandheldToDesktop(records);
    double down = DesktopToHandheld(records);
    std::printf("SQLite, %d records\n", records);
    std::printf("  bulk insert, one transaction   %7.3f s\n", bulk);
    std::printf("  handheld -> empty desktop      %7.3f s  (%.1fx bulk)\n", up, up / bulk);
    std::printf("  desktop -> empty handheld      %7.3f s  (%.1fx bulk)\n", down, down / bulk);
    return 0;
}
