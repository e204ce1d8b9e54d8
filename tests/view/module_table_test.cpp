#include "view/module_table.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/view/view_state.h"

namespace {

const LiveView kSteered = {12.5f, -3.0f, 4.0f, 30.0f, -45.0f, 7.5f, 2.0f};

class ModuleTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    ResetModuleTable();
  }
};

TEST_F(ModuleTableTest, InvalidModuleNumbersChangeNothing) {
  for (int module : {INT_MIN, -1, 0, MaxModules + 1, INT_MAX}) {
    SCOPED_TRACE(module);
    SetLiveView(kSteered);
    ApplyModule(module);
    RestoreDefaultView(module);
    EXPECT_EQ(CurrentLiveView(), kSteered);
    StoreModule(module);
    for (int slot = 0; slot <= MaxModules; ++slot) {
      EXPECT_NE(ViewOf(g_moduleTable.modules[slot]), kSteered);
    }
  }
}

TEST_F(ModuleTableTest, SearchesFindModuleOneFromAnyStartOnlyWhileItIsActive) {
  for (int start : {INT_MIN, -5, 0, 1, 2, INT_MAX}) {
    SCOPED_TRACE(start);
    g_moduleTable.modules[1].active = true;
    EXPECT_EQ(NextActiveModule(start), 1);
    EXPECT_EQ(PreviousActiveModule(start), 1);
    g_moduleTable.modules[1].active = false;
    g_moduleTable.modules[0].active = true;  // slot 0 is never a module
    EXPECT_EQ(NextActiveModule(start), 0);
    EXPECT_EQ(PreviousActiveModule(start), 0);
    EXPECT_EQ(CountActiveModules(), 0);
  }
}

}  // namespace
