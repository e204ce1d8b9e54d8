#include "view/module_table.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/view/view_state.h"

namespace {

// Out-of-range numbers neither read nor write outside the table, and a search
// from any start finds module 1 only while it is active (slot 0 never).
TEST(ModuleTable, AnyNumberStaysInsideTheTable) {
  const LiveView steered = {12.5f, -3.0f, 4.0f, 30.0f, -45.0f, 7.5f, 2.0f};
  ResetSaverState();
  for (int module : {INT_MIN, -1, 0, 1, 2, INT_MAX}) {
    SCOPED_TRACE(module);
    ResetModuleTable();
    EXPECT_EQ(NextActiveModule(module), 1);
    EXPECT_EQ(PreviousActiveModule(module), 1);
    g_moduleTable.modules[1].active = false;
    EXPECT_EQ(NextActiveModule(module), 0);
    EXPECT_EQ(PreviousActiveModule(module), 0);
    EXPECT_EQ(CountActiveModules(), 0);
    if (module == 1) continue;
    SetLiveView(steered);
    ApplyModule(module);
    RestoreDefaultView(module);
    StoreModule(module);
    EXPECT_EQ(CurrentLiveView(), steered);
    EXPECT_NE(ViewOf(g_moduleTable.modules[0]), steered);
    EXPECT_NE(ViewOf(g_moduleTable.modules[1]), steered);
  }
}

}  // namespace
