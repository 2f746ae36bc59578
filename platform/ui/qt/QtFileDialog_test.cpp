#include "platform/ui/qt/QtFileDialog.h"

#include <gtest/gtest.h>

namespace tarn::platform::ui {
namespace {

TEST(QtFileFilter, DescriptionAndPatternPairsBecomeQtFilters) {
    EXPECT_EQ(ToQtFileFilter("Microsoft Access Driver (*.mdb) | *.mdb"),
              "Microsoft Access Driver (*.mdb)");
    EXPECT_EQ(ToQtFileFilter("Executable Program | *.exe"), "Executable Program (*.exe)");
    EXPECT_EQ(ToQtFileFilter("Text|*.txt;*.csv|All files|*.*"),
              "Text (*.txt *.csv);;All files (*.*)");
    // A driver without a file pattern leaves the pattern empty: every file is offered.
    EXPECT_EQ(ToQtFileFilter("SQLite3 | "), "SQLite3 (*)");
    EXPECT_EQ(ToQtFileFilter(""), "");
}

}  // namespace
}  // namespace tarn::platform::ui
