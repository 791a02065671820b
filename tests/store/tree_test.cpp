#include "fixture.h"
namespace zelt::store::testing { namespace {
TEST_F(StoreTest, Probe) { t(1).open(); t(2).open(); EXPECT_TRUE(t(2).active()); }
} }
