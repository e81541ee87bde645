#include "tests/support/WindowTestFixture.h"

void WindowTestFixture::SetUp() {
    windows.SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
    m_pPrevious = qv::InstallWindowSystem(&windows);
}

void WindowTestFixture::TearDown() {
    for (const std::string& unused : windows.UnusedScript())
        ADD_FAILURE() << "scripted but never asked for: " << unused;
    qv::InstallWindowSystem(m_pPrevious);
}
