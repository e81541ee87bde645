#pragma once
// The one QApplication of a test program, made on first use with the offscreen platform unless
// QT_QPA_PLATFORM names another, and destroyed after the last test.
void EnsureQtApplication();
