#pragma once
// A test with the headless window system installed. Unscripted dialogs and message boxes become
// test failures, and so does a scripted answer that nothing asked for.
#include <gtest/gtest.h>

#include "platform/headless/HeadlessWindowSystem.h"

class WindowTestFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    qv::headless::HeadlessWindowSystem windows;

private:
    qv::IWindowSystem* m_pPrevious = nullptr;
};
