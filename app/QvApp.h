#pragma once
#include "framework/WinApp.h"

// The application object: runs the player dialog modally and ends the process with it.
class CQvApp : public CWinApp {
    DECLARE_DYNAMIC(CQvApp)

public:
    CQvApp() = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The one application object of the program (app/TheApp.cpp); a program's main refers to it so
// that the linker keeps it.
extern CQvApp theApp;
