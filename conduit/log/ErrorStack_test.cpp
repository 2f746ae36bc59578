#include "conduit/log/ErrorStack.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tarn::conduit {
namespace {

TEST(ErrorStack, LastInFirstOut) {
    clsErrorStack stack;
    stack.Push("Error getting data from desktop tableOrders");
    stack.Push("Error writing record to Palm for OrdersDB Key=7");
    EXPECT_EQ(stack.Peek(), "Error writing record to Palm for OrdersDB Key=7");
    EXPECT_EQ(stack.Pop(), "Error writing record to Palm for OrdersDB Key=7");
    EXPECT_EQ(stack.Count(), 1);
    EXPECT_EQ(stack.Peek(), "Error getting data from desktop tableOrders");
    stack.Clear();
    EXPECT_EQ(stack.Count(), 0);
}

TEST(ErrorStack, EmptyStackHasNoTop) {
    clsErrorStack stack;
    EXPECT_THROW(stack.Peek(), std::out_of_range);
    EXPECT_THROW(stack.Pop(), std::out_of_range);
    stack.Push("x");
    stack.Pop();
    EXPECT_THROW(stack.Pop(), std::out_of_range);
    EXPECT_EQ(stack.Count(), 0);
}

}  // namespace
}  // namespace tarn::conduit
