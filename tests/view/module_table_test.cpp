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

// Out-of-range numbers neither read nor write outside the table, and a search
// from any start finds module 1 only while it is active (slot 0 never).
TEST_F(ModuleTableTest, AnyNumberStaysInsideTheTable) {
  for (int module : {INT_MIN, -1, 0, 1, 2, INT_MAX}) {
    SCOPED_TRACE(module);
    g_moduleTable.modules[0].active = g_moduleTable.modules[1].active = true;
    EXPECT_EQ(NextActiveModule(module), 1);
    EXPECT_EQ(PreviousActiveModule(module), 1);
    g_moduleTable.modules[1].active = false;
    EXPECT_EQ(NextActiveModule(module), 0);
    EXPECT_EQ(PreviousActiveModule(module), 0);
    EXPECT_EQ(CountActiveModules(), 0);
    if (module == 1) continue;
    SetLiveView(kSteered);
    ApplyModule(module);
    RestoreDefaultView(module);
    StoreModule(module);
    EXPECT_EQ(CurrentLiveView(), kSteered);
    EXPECT_NE(ViewOf(g_moduleTable.modules[0]), kSteered);
    EXPECT_NE(ViewOf(g_moduleTable.modules[1]), kSteered);
  }
}

}  // namespace
