#include "core/ArrayEx.h"

#include <gtest/gtest.h>

namespace {

TEST(ArrayEx, KeepsCopiesInInsertionOrder)
{
    CStringArrayEx list;
    std::wstring text = L"first";
    EXPECT_EQ(list.Add(text), 0);
    text = L"changed after adding";
    EXPECT_EQ(list.Add(L"second"), 1);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[0], L"first");
    EXPECT_EQ(list.GetAt(1), L"second");

    CStringArrayEx copy = list;
    copy[0] = L"copy";
    EXPECT_EQ(list[0], L"first");
}

TEST(ArrayEx, SetSizeGrowsAndCutsAndRemoveAtKeepsOrder)
{
    CArrayEx<int> numbers;
    for (int i = 0; i < 5; ++i)
        numbers.Add(i);
    numbers.RemoveAt(1, 2);
    ASSERT_EQ(numbers.GetSize(), 3);
    EXPECT_EQ(numbers[0], 0);
    EXPECT_EQ(numbers[1], 3);
    EXPECT_EQ(numbers[2], 4);
    numbers.SetSize(5);
    EXPECT_EQ(numbers[4], 0);
    numbers.SetSize(0);
    EXPECT_TRUE(numbers.IsEmpty());
}

TEST(ArrayEx, OutOfRangeAccessThrowsInsteadOfCorruptingMemory)
{
    CArrayEx<int> numbers;
    numbers.Add(7);
    EXPECT_THROW(numbers[1], std::out_of_range);
    EXPECT_THROW(numbers[-1], std::out_of_range);
    EXPECT_THROW(numbers.RemoveAt(0, 2), std::out_of_range);
    EXPECT_EQ(numbers.GetSize(), 1);
}

}  // namespace
