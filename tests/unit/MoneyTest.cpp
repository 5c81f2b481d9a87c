#include "Money.h"

#include <gtest/gtest.h>

TEST(MoneyTest, Placeholder) { EXPECT_EQ(Money::Whole(2).Raw(), 20000); }
