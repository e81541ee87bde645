#include "app/QvApp.h"

CQvApp theApp;
