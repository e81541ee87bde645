#include <gtest/gtest.h>

#include "framework/String.h"
#include "platform/rand.h"
#include "res/resource.h"

TEST(CString, KeepsBytesIncludingZerosAndHighBytes) {
    const char bytes[] = {'a', '\0', '\x83', '\x5C'};
    CString s(bytes, 4);
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.Right(2), CString("\x83\x5C"));
    EXPECT_EQ(s.Mid(2, 100).GetLength(), 2);
    EXPECT_EQ(s.Left(-3), "");
}

TEST(CString, FormatsReadOutsWithAtLeastTwoDigits) {
    CString s;
    s.Format("%02d:%02d", 100, 0);
    EXPECT_EQ(s, "100:00");
    s.Format("%02d:%02d", 0, 59);
    EXPECT_EQ(s, "00:59");
}

TEST(CString, LoadsTheStringTableAndAnswersEmptyForAnAbsentId) {
    CString s;
    EXPECT_TRUE(s.Load(IDS_REGKEY));
    EXPECT_EQ(s, "Software\\Velmora\\Quavel32");
    EXPECT_TRUE(s.Load(IDS_ASKQUIT));
    EXPECT_EQ(s, "終了しますか?");
    EXPECT_FALSE(s.Load(118));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringArray, InsertRemoveAndResizeKeepOrder) {
    CStringArray a;
    a.Add("a");
    a.Add("c");
    a.InsertAt(1, "b");
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[1], "b");
    a.RemoveAt(0);
    EXPECT_EQ(a[0], "b");
    a.SetSize(0);
    EXPECT_TRUE(a.IsEmpty());
}

TEST(Rand, FollowsTheClassicSequenceFromSeedOne) {
    qv::ResetRand();
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int v : expected) EXPECT_EQ(qv::Rand(), v);
}
