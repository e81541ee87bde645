#include <gtest/gtest.h>

#include "framework/String.h"

// Names and titles are byte strings: zeros and Shift-JIS bytes must survive every operation.
TEST(CString, KeepsBytesIncludingZerosAndHighBytes) {
    const char bytes[] = {'a', '\0', '\x83', '\x5C'};
    CString s(bytes, 4);
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.Right(2), CString("\x83\x5C"));
    EXPECT_EQ(s.Mid(2, 100).GetLength(), 2);
    EXPECT_EQ(s.Left(-3), "");
}
