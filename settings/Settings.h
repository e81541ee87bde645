#pragma once
// Every setting of the program in one place: the string id of its value name, its type and the
// default that the first read inserts when the key has no such value.
//
// A setting is always read and written the same way: fetch the name from the string table by id,
// look it up in the store with Value, and apply one of GetDword, SetDword, GetString, SetString.
// A plain Value look-up inserts REG_DWORD 0 (GetDword) or an empty REG_SZ (GetString); the two
// settings with another default are looked up with Value(name, default):
//
//     CString strName;
//     strName.Load(IDS_YESASKQUIT);
//     BOOL bAsk = m_settings.Value(strName, kDefaultYesAskQuit).GetDword() != 0;
#include "framework/Types.h"
#include "platform/registry.h"
#include "res/resource.h"

// Ask before quitting unless the user turned it off.
constexpr DWORD kDefaultYesAskQuit = 1;
// WindowPosX holding INT_MAX means no position was stored: the window is centred.
constexpr DWORD kNoWindowPos = 0x7FFFFFFF;

struct SettingInfo {
    UINT nNameId;     // string-table id of the value name
    DWORD dwType;     // REG_DWORD or REG_SZ
    DWORD dwDefault;  // for REG_DWORD; a REG_SZ setting defaults to the empty text
};

inline constexpr SettingInfo kSettings[] = {
    {IDS_DISPLAYMODE, REG_DWORD, 0},  // 0 full path, 1 file name, 2 title
    {IDS_YESLOOP, REG_DWORD, 0},
    {IDS_YESRANDOMIZE, REG_DWORD, 0},
    {IDS_YESASKQUIT, REG_DWORD, kDefaultYesAskQuit},
    {IDS_YESAUTODOC, REG_DWORD, 0},
    {IDS_AUTODOCCMD, REG_SZ, 0},    // empty: no companion document is opened
    {IDS_RIGHTEDITCMD, REG_SZ, 0},  // empty: the Edit button does nothing
    {IDS_YESSAVETITLE, REG_DWORD, 0},
    {IDS_WINDOWPOSX, REG_DWORD, kNoWindowPos},
    {IDS_WINDOWPOSY, REG_DWORD, 0},
};
