#pragma once
// Where Wine answers otherwise than Windows, a case names the difference and is skipped under Wine
// only; elsewhere it runs. QV_WINE_DIFFERENCES=1 runs such cases under Wine too, to see whether a
// newer Wine still differs.
#include <gtest/gtest.h>

#include <cstdlib>

namespace qvtest {

bool UnderWine();
// Removes a key below HKEY_CURRENT_USER of the system registry, with all it holds (Windows only).
void DeleteSystemRegistryKey(const char* path);
// Makes HKEY_CURRENT_USER stand for the key at path below it (made if missing) for this whole
// process; nullptr ends that (Windows only).
void OverrideCurrentUser(const char* path);

}  // namespace qvtest

#define QV_SKIP_WINE_DIFFERENCE(what)                               \
    if (qvtest::UnderWine() && !std::getenv("QV_WINE_DIFFERENCES")) \
    GTEST_SKIP() << "Wine difference: " << what
