#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/WindowTestFixture.h"
#include "tests/window/TestDialog.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;

class ClockAndQueueTest : public WindowTestFixture {
protected:
    void SetUp() override {
        WindowTestFixture::SetUp();
        windows.AddTemplate(TestTemplate());
    }

    void Run(const std::function<void(DialogDriver&)>& actions) {
        windows.OnDialog(IDD_TEST, [&](DialogDriver& user) {
            actions(user);
            ASSERT_TRUE(user.PressEscape());
        });
        dlg.DoModal();
        ASSERT_FALSE(dlg.m_log.empty());
        dlg.m_log.pop_back();  // "cancel"
    }

    CTestDlg dlg;
};

TEST_F(ClockAndQueueTest, TimersFireInTimeOrderOnTheVirtualClock) {
    dlg.m_onInit = [](CTestDlg& d) {
        d.SetTimer(10, 200);
        d.SetTimer(11, 300);
    };
    Run([&](DialogDriver& user) {
        user.AdvanceClock(199);
        EXPECT_TRUE(dlg.m_log.empty());
        user.AdvanceClock(1);
        EXPECT_THAT(dlg.m_log, ElementsAre("timer 10"));
        // 300: 11, 400: 10, 600: both, the one set first first.
        user.AdvanceClock(400);
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("timer 10", "timer 11", "timer 10", "timer 10", "timer 11"));
    EXPECT_EQ(windows.Now(), 600u);
}

TEST_F(ClockAndQueueTest, KillTimerStopsItAndSettingItAgainRestartsItsPeriod) {
    dlg.m_onInit = [](CTestDlg& d) { d.SetTimer(10, 200); };
    Run([&](DialogDriver& user) {
        user.AdvanceClock(150);
        EXPECT_EQ(dlg.SetTimer(10, 200), 10u);  // restarted at 150: next at 350
        user.AdvanceClock(199);
        EXPECT_TRUE(dlg.m_log.empty());
        user.AdvanceClock(1);
        EXPECT_THAT(dlg.m_log, ElementsAre("timer 10"));
        EXPECT_TRUE(dlg.KillTimer(10));
        EXPECT_FALSE(dlg.KillTimer(10));
        EXPECT_FALSE(user.HasTimer(10));
        user.AdvanceClock(1000);
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("timer 10"));
}

TEST_F(ClockAndQueueTest, MessagesPostedFromAnotherThreadArriveInOrderOnlyWhenPumped) {
    Run([&](DialogDriver& user) {
        qv::HWND hDlg = dlg.GetSafeHwnd();
        std::thread poster([hDlg] {
            for (int i = 0; i < 50; ++i) qv::PostWindowMessage(hDlg, MM_MCINOTIFY, i, 1);
        });
        ASSERT_TRUE(windows.WaitForPostedMessage(std::chrono::seconds(10)));
        poster.join();
        EXPECT_TRUE(dlg.m_log.empty());
        EXPECT_EQ(user.Pump(), 50u);
        EXPECT_EQ(user.Pump(), 0u);
    });
    ASSERT_EQ(dlg.m_log.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(dlg.m_log[i], "notify " + std::to_string(i) + " 1");
}

TEST_F(ClockAndQueueTest, PostedMessagesGoAheadOfTimersAndAnswerNothingToThePoster) {
    dlg.m_onInit = [](CTestDlg& d) { d.SetTimer(10, 200); };
    Run([&](DialogDriver& user) {
        EXPECT_EQ(qv::PostWindowMessage(dlg.GetSafeHwnd(), MM_MCINOTIFY, 1, 2), 1);
        user.AdvanceClock(200);
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("notify 1 2", "timer 10"));
}

TEST_F(ClockAndQueueTest, AWindowThatIsGoneTakesNoPostsAndDropsWhatWasQueued) {
    qv::HWND hDlg = nullptr;
    Run([&](DialogDriver& user) {
        hDlg = dlg.GetSafeHwnd();
        qv::PostWindowMessage(hDlg, MM_MCINOTIFY, 1, 0);
        (void)user;
    });
    EXPECT_EQ(qv::PostWindowMessage(hDlg, MM_MCINOTIFY, 1, 0), 0);
    EXPECT_EQ(windows.PumpMessages(), 0u);
    EXPECT_TRUE(dlg.m_log.empty());
}

TEST_F(ClockAndQueueTest, WithoutABackendEveryCallAnswersItsFailureResult) {
    qv::IWindowSystem* pInstalled = qv::InstallWindowSystem(nullptr);
    EXPECT_EQ(CTestDlg().DoModal(), -1);
    EXPECT_EQ(qv::PostWindowMessage(nullptr, MM_MCINOTIFY, 1, 0), 0);
    EXPECT_EQ(qv::MessageBoxA(nullptr, "x", nullptr, MB_OK), 0);
    EXPECT_EQ(qv::EnableMenuItem(nullptr, 1, MF_GRAYED), -1);
    CListBox unbound;
    EXPECT_EQ(unbound.GetCurSel(), LB_ERR);
    qv::InstallWindowSystem(pInstalled);
}
