#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <functional>

#include "builder/frmField.h"
#include "builder/testing/BuilderTestSupport.h"
#include "common/config/ConfigFile.h"

namespace tarn::builder {
namespace {

using platform::ui::MessageAnswer;
using platform::ui::MessageIcon;
using test::BuilderTest;
using test::Find;
using ui::test::WhenModalShown;

class TableEditingTest : public BuilderTest {
  protected:
    QStringList ListedTables(frmMain& window) { return test::ListTexts(window, "lstTables"); }
    QString SelectedTable(frmMain& window) {
        auto* item = Find<QListWidget>(window, "lstTables").currentItem();
        return item ? item->text() : QString();
    }
    QStringList FieldRows(frmMain& window) {
        QStringList rows;
        auto& list = Find<QTreeWidget>(window, "lstFields");
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            auto* item = list.topLevelItem(row);
            rows << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
        }
        return rows;
    }
    void ClickTable(frmMain& window, int row) {
        Find<QListWidget>(window, "lstTables").setCurrentRow(row);
    }
    void SelectFieldRow(frmMain& window, int row) {
        auto& list = Find<QTreeWidget>(window, "lstFields");
        list.setCurrentItem(list.topLevelItem(row));
    }
    // Answers the next field editor with a name, a data type position and a filter.
    void AnswerFieldEditor(const QString& name, int dataType, const QString& filter = "") {
        WhenModalShown("frmField", [=](QWidget& editor) {
            Find<QComboBox>(editor, "cbDataType").setCurrentIndex(dataType);
            if (Find<QLineEdit>(editor, "txtFieldName").isEnabled())
                Find<QLineEdit>(editor, "txtFieldName").setText(name);
            Find<QLineEdit>(editor, "txtFilter").setText(filter);
            Find<QPushButton>(editor, "cmdOk").click();
        });
    }
};

TEST_F(TableEditingTest, AddNumbersTablesProposesTheirPalmNameAndRefusesANameThatIsTaken) {
    auto window = NewWindow();
    for (int i = 0; i < 3; ++i) window->ToolBarTables_ButtonClick(1);
    EXPECT_EQ(ListedTables(*window),
              QStringList({"Desktop Table 1", "Desktop Table 2", "Desktop Table 3"}));
    EXPECT_TRUE(SelectedTable(*window).isEmpty());
    EXPECT_TRUE(window->WorkingTable().empty());

    ClickTable(*window, 0);
    EXPECT_EQ(window->WorkingTable(), "Desktop Table 1");
    window->txtPalmDatabase_GotFocus();  // proposes the table's name
    EXPECT_EQ(Box(*window, "txtPalmDatabase").text(), "Desktop Table 1");
    EXPECT_EQ(window->Tables().Item(1)->PalmDatabaseName, "Desktop Table 1");
    Box(*window, "txtPalmDatabase").setText("TarnOrders");
    window->txtPalmDatabase_Change();
    EXPECT_EQ(window->Tables().Item(1)->PalmDatabaseName, "TarnOrders");
    boxes_.PresetAnswers({MessageAnswer::Yes});
    window->ToolBarTables_ButtonClick(2);
    EXPECT_EQ(boxes_.Last()->text, "Remove the table Desktop Table 1?");
    EXPECT_EQ(boxes_.Last()->caption, "Remove Table");
    EXPECT_TRUE(window->WorkingTable().empty());
    EXPECT_FALSE(Find<QTabWidget>(*window, "SSTab2").isEnabled());

    // Two tables left, so the next would be "Desktop Table 3" again.
    window->ToolBarTables_ButtonClick(1);
    EXPECT_EQ(boxes_.Shown().size(), 2u);
    EXPECT_NE(boxes_.Last()->text.find("Desktop Table 3"), std::string::npos);
    EXPECT_EQ(ListedTables(*window), QStringList({"Desktop Table 2", "Desktop Table 3"}));
}

TEST_F(TableEditingTest, MovingATableKeepsItSelectedAndSavesInTheListedOrder) {
    auto window = NewWindow();
    window->Tables().Add("A");
    window->Tables().Add("B");
    window->Tables().Add("C")->Fields().Add("Id", 3);
    window->RefreshTableList();
    ClickTable(*window, 2);
    window->ToolBarTables_ButtonClick(4);
    window->ToolBarTables_ButtonClick(4);
    window->ToolBarTables_ButtonClick(4);  // already first: nothing happens
    EXPECT_EQ(ListedTables(*window), QStringList({"C", "A", "B"}));
    EXPECT_EQ(SelectedTable(*window), "C");
    EXPECT_EQ(Box(*window, "txtDesktopTable").text(), "C");
    EXPECT_EQ(FieldRows(*window), QStringList({"Id|Integer|"}));
    window->ToolBarTables_ButtonClick(5);
    EXPECT_EQ(ListedTables(*window), QStringList({"A", "C", "B"}));
    EXPECT_EQ(SelectedTable(*window), "C");

    ASSERT_TRUE(window->SaveConfigFile(PathIn("order.tcf"), true));
    auto reopened = NewWindow();
    ASSERT_TRUE(reopened->LoadConfigFile(PathIn("order.tcf")));
    EXPECT_EQ(ListedTables(*reopened), QStringList({"A", "C", "B"}));
}

TEST_F(TableEditingTest, RenamingInPlaceKeepsTheFieldsAndRefusesAnotherTablesName) {
    auto window = NewWindow();
    window->Tables().Add("Orders")->Fields().Add("Id", 3);
    window->Tables().Add("Lines");
    window->RefreshTableList();
    ClickTable(*window, 0);

    Box(*window, "txtDesktopTable").setText("Invoices");
    window->txtDesktopTable_LostFocus();
    EXPECT_EQ(ListedTables(*window), QStringList({"Invoices", "Lines"}));
    EXPECT_EQ(window->WorkingTable(), "Invoices");
    EXPECT_EQ(window->Tables().Item("Invoices")->DesktopTableName, "Invoices");
    EXPECT_EQ(window->Tables().Item("Invoices")->Fields().Count(), 1);

    // Refused: another table's name, and its own in other letters (the collection sees the same
    // key).
    const std::pair<const char*, std::string> refused[] = {
        {"LINES",
         "The table name LINES is already used by another table. Table names must "
         "differ in more than letter case."},
        {"INVOICES",
         "The table name INVOICES differs from the table's name only in letter case. "
         "Table names must differ in more than letter case."}};
    for (const auto& [typed, message] : refused) {
        Box(*window, "txtDesktopTable").setText(typed);
        window->txtDesktopTable_LostFocus();
        EXPECT_EQ(boxes_.Last()->text, message);
        EXPECT_EQ(ListedTables(*window), QStringList({"Invoices", "Lines"}));
        EXPECT_EQ(Box(*window, "txtDesktopTable").text(), "Invoices");
        EXPECT_EQ(window->WorkingTable(), "Invoices");
        EXPECT_EQ(window->Tables().Item(1)->DesktopTableName, "Invoices");
        EXPECT_EQ(window->Tables().Item(1)->Fields().Count(), 1);
    }
    EXPECT_EQ(boxes_.Shown().size(), 2u);

    Box(*window, "txtDesktopTable").setText("  ");
    window->txtDesktopTable_LostFocus();
    EXPECT_EQ(boxes_.Last()->text, "You must provide a table name");
    EXPECT_EQ(ListedTables(*window), QStringList({"Invoices", "Lines"}));
}

// Typed and then saved without leaving the box, a change of letter case is refused the same
// way, and the file keeps the old name.
TEST_F(TableEditingTest, ALetterCaseRenameStillBeingTypedIsRefusedOnSave) {
    auto window = NewWindow();
    window->Tables().Add("Orders")->Fields().Add("Id", 3);
    window->RefreshTableList();
    ClickTable(*window, 0);
    Box(*window, "txtDesktopTable").setText("ORDERS");
    ASSERT_TRUE(window->SaveConfigFile(PathIn("case.tcf"), true));
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_NE(boxes_.Last()->text.find("only in letter case"), std::string::npos);
    ConduitSettings settings;
    colTables saved;
    ASSERT_TRUE(ReadConfigFile(PathIn("case.tcf"), settings, saved));
    EXPECT_EQ(saved.Item(1)->DesktopTableName, "Orders");
}

// A new name typed into the box is saved by every path that saves, though the focus never
// left the box: the toolbar, the File menu, the save prompt and a local installation.
TEST_F(TableEditingTest, ATableNameStillBeingTypedIsSavedByEverySavePath) {
    const std::string document = PathIn("typed.tcf");
    const std::string installed = (ProgramFolder() / "TORD.cfg").string();
    const struct {
        const char* name;
        std::function<void(frmMain&)> save;
        const std::string& file;
    } paths[] = {
        {"toolbar", [](frmMain& w) { w.tbToolBar_ButtonClick("Save"); }, document},
        {"menu", [](frmMain& w) { w.mnuFileSave_Click(); }, document},
        {"prompt",
         [this](frmMain& w) {
             boxes_.PresetAnswers({MessageAnswer::Yes});
             w.mnuFileNew_Click();
         },
         document},
        {"local installation", [](frmMain& w) { w.InstallConduitLocally(); }, installed},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        auto window = NewWindow();
        test::FillValidConduit(*window);
        ASSERT_TRUE(window->SaveConfigFile(document, true));
        window->OpenDocumentAtStart(document);
        ClickTable(*window, 0);
        Box(*window, "txtDesktopTable").setText("Invoices");
        path.save(*window);
        ConduitSettings settings;
        colTables saved;
        ASSERT_TRUE(ReadConfigFile(path.file, settings, saved));
        ASSERT_EQ(saved.Count(), 1);
        EXPECT_EQ(saved.Item(1)->DesktopTableName, "Invoices");
        EXPECT_EQ(saved.Item(1)->Fields().Count(), 1);
    }
}

TEST_F(TableEditingTest, SyncOptionsEnableTheirPurgeBoxAndShowingATableNeverWritesIntoIt) {
    auto window = NewWindow();
    window->Tables().Add("A", "PA", 2, true);
    window->Tables().Add("B", "PB", 0, false);
    window->Tables().Add("C", "PC", 3, false);
    window->RefreshTableList();
    auto& purgeDesktop = Find<QCheckBox>(*window, "chkPurge_2");
    auto& purgeHandheld = Find<QCheckBox>(*window, "chkPurge_3");

    ClickTable(*window, 0);
    EXPECT_TRUE(Find<QRadioButton>(*window, "optSync_2").isChecked());
    EXPECT_TRUE(purgeDesktop.isChecked() && purgeDesktop.isEnabled());
    EXPECT_FALSE(purgeHandheld.isEnabled());
    ClickTable(*window, 1);
    ClickTable(*window, 2);
    EXPECT_TRUE(Find<QRadioButton>(*window, "optSync_3").isChecked());
    EXPECT_FALSE(purgeHandheld.isChecked());
    ClickTable(*window, 0);
    EXPECT_EQ(window->Tables().Item("A")->SyncMethod, 2);
    EXPECT_TRUE(window->Tables().Item("A")->PurgeBeforeSync);
    EXPECT_EQ(window->Tables().Item("B")->SyncMethod, 0);
    EXPECT_EQ(window->Tables().Item("C")->SyncMethod, 3);
    EXPECT_FALSE(window->Tables().Item("C")->PurgeBeforeSync);

    Find<QRadioButton>(*window, "optSync_0").click();
    EXPECT_FALSE(purgeDesktop.isEnabled() || purgeHandheld.isEnabled());
    EXPECT_EQ(window->Tables().Item("A")->SyncMethod, 0);
    EXPECT_FALSE(window->Tables().Item("A")->PurgeBeforeSync);

    Find<QRadioButton>(*window, "optSync_3").click();
    EXPECT_TRUE(purgeHandheld.isEnabled());
    EXPECT_FALSE(purgeDesktop.isEnabled());
    purgeHandheld.click();
    EXPECT_EQ(window->Tables().Item("A")->SyncMethod, 3);
    EXPECT_TRUE(window->Tables().Item("A")->PurgeBeforeSync);
    Find<QRadioButton>(*window, "optSync_6").click();
    EXPECT_EQ(window->Tables().Item("A")->SyncMethod, 6);
    EXPECT_FALSE(window->Tables().Item("A")->PurgeBeforeSync);
}

TEST_F(TableEditingTest, FieldEditorNamesARecordStatusFieldAndInsistsOnAName) {
    clsField field;
    field.FieldName = "Status";
    field.DataType = 6;
    WhenModalShown("frmField", [&](QWidget& editor) {
        auto& types = Find<QComboBox>(editor, "cbDataType");
        EXPECT_EQ(types.currentText(), "String");
        types.setCurrentIndex(8);
        EXPECT_FALSE(Find<QLineEdit>(editor, "txtFieldName").isEnabled());
        EXPECT_FALSE(Find<QLabel>(editor, "lblFieldName").isEnabled());
        Find<QPushButton>(editor, "cmdOk").click();
    });
    frmField editor;
    ASSERT_TRUE(editor.EditField(field));
    EXPECT_EQ(field.FieldName, "##STATUSFLAG##");
    EXPECT_EQ(field.DataType, 8);

    WhenModalShown("frmField", [&](QWidget& editor) {
        Find<QLineEdit>(editor, "txtFieldName").setText("   ");
        Find<QComboBox>(editor, "cbDataType").setCurrentIndex(3);
        Find<QPushButton>(editor, "cmdOk").click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(boxes_.Last()->text, "The desktop field name can not be blank");
        Find<QLineEdit>(editor, "txtFieldName").setText(" Qty ");
        Find<QPushButton>(editor, "cmdOk").click();
    });
    frmField second;
    ASSERT_TRUE(second.EditField(field));
    EXPECT_EQ(field.FieldName, " Qty ");
    EXPECT_EQ(field.DataType, 3);

    WhenModalShown("frmField", [&](QWidget& editor) {
        Find<QLineEdit>(editor, "txtFieldName").setText("Other");
        Find<QPushButton>(editor, "cmdCancel").click();
    });
    frmField third;
    EXPECT_FALSE(third.EditField(field));
    EXPECT_EQ(field.FieldName, " Qty ");
}

TEST_F(TableEditingTest, FieldsAreAddedMovedEditedAndRemovedByName) {
    auto window = NewWindow();
    window->Tables().Add("Orders", "TarnOrders");
    window->RefreshTableList();
    ClickTable(*window, 0);

    AnswerFieldEditor("Id", 3);
    window->ToolbarFields_ButtonClick("Add");
    AnswerFieldEditor("Region", 10, "Region");
    window->ToolbarFields_ButtonClick("Add");
    AnswerFieldEditor("", 8);
    window->ToolbarFields_ButtonClick("Add");
    EXPECT_EQ(FieldRows(*window), QStringList({"Id|Integer|", "Region|IgnoreField|Region",
                                               "##STATUSFLAG##|RecordStatus|"}));

    SelectFieldRow(*window, 2);
    window->ToolbarFields_ButtonClick("MoveUp");
    EXPECT_EQ(FieldRows(*window)[1], "##STATUSFLAG##|RecordStatus|");
    auto& list = Find<QTreeWidget>(*window, "lstFields");
    EXPECT_EQ(list.currentItem()->text(0), "##STATUSFLAG##");
    window->ToolbarFields_ButtonClick("MoveDown");
    window->ToolbarFields_ButtonClick("MoveDown");  // already last
    EXPECT_EQ(FieldRows(*window)[2], "##STATUSFLAG##|RecordStatus|");
    SelectFieldRow(*window, 1);
    window->ToolbarFields_ButtonClick("MoveUp");
    EXPECT_EQ(FieldRows(*window)[0], "Region|IgnoreField|Region");

    // The moved field is edited by its name, opened from the keyboard...
    SelectFieldRow(*window, 0);
    AnswerFieldEditor("Area", 6, "Region");
    QTest::keyClick(&Find<QTreeWidget>(*window, "lstFields"), Qt::Key_Return);
    EXPECT_EQ(FieldRows(*window)[0], "Area|String|Region");
    EXPECT_TRUE(window->Tables().Item(1)->Fields().HasKey("Area"));

    // ...refused another field's name, and its own in other letters, which the collection
    // counts as taken...
    for (const char* taken : {"ID", "AREA"}) {
        SelectFieldRow(*window, 0);
        AnswerFieldEditor(taken, 6);
        window->lstFields_DblClick();
        EXPECT_EQ(boxes_.Last()->text,
                  "Error adding or modifying field. \nThe field may already exist.");
        EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Information);
        EXPECT_EQ(FieldRows(*window)[0], "Area|String|Region");
        EXPECT_EQ(window->Tables().Item(1)->Fields().Item(1)->FieldName, "Area");
    }
    EXPECT_EQ(boxes_.Shown().size(), 2u);

    // ...and removed by its name.
    SelectFieldRow(*window, 0);
    boxes_.PresetAnswers({MessageAnswer::Yes});
    window->ToolbarFields_ButtonClick("Remove");
    EXPECT_EQ(boxes_.Last()->text, "Remove field Area");
    EXPECT_EQ(FieldRows(*window), QStringList({"Id|Integer|", "##STATUSFLAG##|RecordStatus|"}));

    // A second field of an existing name is refused.
    AnswerFieldEditor("id", 6);
    window->ToolbarFields_ButtonClick("Add");
    EXPECT_EQ(boxes_.Last()->text,
              "Error adding or modifying field. \nThe field may already exist.");
    EXPECT_EQ(window->Tables().Item(1)->Fields().Count(), 2);
}

}  // namespace
}  // namespace tarn::builder
