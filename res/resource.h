#pragma once
// Resource ids: dialogs, controls, icon and strings. Plain #defines so that a resource compiler can
// read this file as well as the C++ code.

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_PLAYER 102
#define IDD_OPTIONS 134

// Icon
#define IDR_MAINFRAME 128

// Standard command ids
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#define ID_HELP 57669

// Controls of the player dialog
#define IDC_PLAYLIST 1001
#define IDC_PLAY 1003
#define IDC_STOP 1004
#define IDC_QUIT 1005
#define IDC_PREV 1006
#define IDC_NEXT 1007
#define IDC_REMOVE 1008
#define IDC_UP 1009
#define IDC_DOWN 1010
#define IDC_SHUFFLE 1011
#define IDC_OPEN 1013
#define IDC_DISPLAYMODE 1014
#define IDC_CLEAR 1015
#define IDC_SAVE 1016
#define IDC_OPTIONS 1017
#define IDC_EDIT 1018
#define IDC_DOCUMENT 1019
#define IDC_LOOP 1026
#define IDC_RANDOM 1027
#define IDC_POSITION 1039
#define IDC_LENGTH 1040

// Controls of the options dialog
#define IDC_ASKQUIT 1021
#define IDC_AUTODOC 1022
#define IDC_DOCCMD 1023
#define IDC_EDITCMD 1025
#define IDC_BROWSE_DOCCMD 1033
#define IDC_BROWSE_EDITCMD 1034
#define IDC_SAVETITLE 1035

// Controls of the About box
#define IDC_PRODUCTNAME 1036
#define IDC_VERSION 1037
#define IDC_LEGALNOTICE 1038

// Strings
#define IDS_ABOUTBOX 101
#define IDS_LISTSAVE_FAILED 102
#define IDS_READ_FAILED 103
#define IDS_PLAY 104
#define IDS_STOP 105
#define IDS_PREV 106
#define IDS_NEXT 107
#define IDS_PAUSE 108
#define IDS_PRODUCTNAME 109
#define IDS_ASKQUIT 110
#define IDS_DISPLAYMODE 111
#define IDS_WORKING 112
#define IDS_REGKEY 113
#define IDS_YESLOOP 114
#define IDS_YESASKQUIT 115
#define IDS_PAUSED 116
#define IDS_YESRANDOMIZE 117
#define IDS_YESAUTODOC 119
#define IDS_AUTODOCCMD 120
#define IDS_RIGHTEDITCMD 122
#define IDS_CMD_FAILED 123
#define IDS_WINDOWPOSX 124
#define IDS_WINDOWPOSY 125
#define IDS_YESSAVETITLE 126
#define IDS_TITLESAVE_FAILED 127

// Display texts of the file dialogs
#define IDS_OPEN_FILTER 200
#define IDS_SAVE_FILTER 201
#define IDS_PROGRAM_FILTER 202
#define IDS_BROWSE 203

// The window system's own items of the system menu, as the user's system names them
#define IDS_SYSMENU_RESTORE 204
#define IDS_SYSMENU_MOVE 205
#define IDS_SYSMENU_MINIMIZE 206
#define IDS_SYSMENU_CLOSE 207

// Why the sequencer plays silently, and what to install or set
#define IDS_SOUND_NOSOUNDFONT 160
#define IDS_SOUND_BADSOUNDFONT 161
#define IDS_SOUND_NOAUDIO 162
#define IDS_SOUND_NOALSAPORT 163
#define IDS_SOUND_BADOUTPUT 164
