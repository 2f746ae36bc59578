#include <QListWidget>
#include <QPushButton>

#include "builder/testing/BuilderTestSupport.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace tarn::builder {
namespace {

using platform::ui::MessageAnswer;
using test::BuilderTest;
using test::Find;
using ui::test::WhenModalShown;

class ImportTablesTest : public BuilderTest {
  protected:
    ImportTablesTest() {
        auto odbc = platform::odbc::OpenOdbcEnvironment();
        auto db = odbc->Connect("DRIVER={SQLite3};database=" + database_);
        db->Execute(
            "CREATE TABLE Orders (Code CHAR(10), Qty INTEGER, Note VARCHAR(80), Placed TIMESTAMP)");
        db->Execute("CREATE TABLE Customers (Id INTEGER, Name VARCHAR(40))");
        db->Execute("CREATE TABLE Regions (Name VARCHAR(20))");
    }
    std::string database_ = PathIn("desk.db");
};

TEST_F(ImportTablesTest,
       ImportsOnlyTheSelectedColumnsTypedFromTheirSqlTypesAndCancelChangesNothing) {
    auto window = NewWindow();
    window->SetConnection({"SQLite3", "", database_, "", "", ""});
    window->Tables().Add("customers");  // already in the conduit, in other letters
    window->RefreshTableList();

    WhenModalShown("frmImportTables", [&](QWidget& dialog) {
        auto& import = Find<QPushButton>(dialog, "cmdImport");
        EXPECT_FALSE(import.isEnabled());
        EXPECT_EQ(test::ListTexts(dialog, "lstTable"), QStringList({"Orders", "Regions"}));
        Find<QListWidget>(dialog, "lstTable").setCurrentRow(0);
        auto& fields = Find<QListWidget>(dialog, "lstField");
        EXPECT_EQ(test::ListTexts(dialog, "lstField"),
                  QStringList({"Code", "Qty", "Note", "Placed"}));
        EXPECT_EQ(fields.selectedItems().size(), 4);
        EXPECT_TRUE(import.isEnabled());
        fields.clearSelection();
        EXPECT_FALSE(import.isEnabled());
        fields.selectAll();
        fields.item(2)->setSelected(false);  // only the selected columns are imported
        import.click();
    });
    window->cmdTableImport_Click();

    ASSERT_EQ(window->Tables().Count(), 2);
    auto orders = window->Tables().Item(2);
    EXPECT_EQ(orders->DesktopTableName, "Orders");
    EXPECT_EQ(orders->PalmDatabaseName, "");
    EXPECT_EQ(orders->SyncMethod, 0);
    EXPECT_FALSE(orders->PurgeBeforeSync);
    ASSERT_EQ(orders->Fields().Count(), 3);
    EXPECT_EQ(orders->Fields().Item(1)->FieldName, "Code");
    EXPECT_EQ(orders->Fields().Item(1)->DataType, 6);  // String
    EXPECT_EQ(orders->Fields().Item(2)->DataType, 3);  // Integer
    EXPECT_EQ(orders->Fields().Item(3)->FieldName, "Placed");
    EXPECT_EQ(orders->Fields().Item(3)->DataType, 1);  // Date
    EXPECT_EQ(orders->Fields().Item(3)->Filter, "");
    EXPECT_EQ(test::ListTexts(*window, "lstTables"), QStringList({"customers", "Orders"}));
    EXPECT_TRUE(boxes_.Shown().empty());

    WhenModalShown("frmImportTables", [&](QWidget& dialog) {
        Find<QListWidget>(dialog, "lstTable").setCurrentRow(0);
        Find<QPushButton>(dialog, "cmdCancel").click();
    });
    window->cmdTableImport_Click();
    EXPECT_EQ(window->Tables().Count(), 2);
}

TEST_F(ImportTablesTest, AnUnreachableDatabaseAsksUntilTheUserGivesUp) {
    auto window = NewWindow();
    window->SetConnection(
        {"SQLite3", "", (machine_.root() / "no" / "such.db").string(), "", "", ""});
    boxes_.PresetAnswers({MessageAnswer::No});
    window->cmdTableImport_Click();
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Last()->text,
              "A connection to the database could not be made. Check database connections?");
    EXPECT_EQ(boxes_.Last()->icon, platform::ui::MessageIcon::Question);
    EXPECT_EQ(window->Tables().Count(), 0);
}

}  // namespace
}  // namespace tarn::builder
