// Resource and command ids of PeltoClock. Numbers are fixed: the settings, the tests and the
// driver program refer to them.
#pragma once

#define IDR_MAINFRAME 128          // frame title string, menu and application icon
#define IDD_ABOUTBOX 100
#define IDD_PELTOCLOCK_DIALOG 132
#define IDR_POPUP_MENU 132
#define IDC_GRAB_HAND 134
#define IDC_OPEN_HAND 137
#define IDS_SOCKETS_INIT_FAILED 140
#define IDS_APP_TITLE 57344

#define ID_TOGGLE_TOPMOST 32772
#define ID_TOGGLE_SECONDS 32773
#define ID_CHOOSE_FONT 32774
#define ID_CHOOSE_COLORS 32775
#define ID_EXIT 32776
#define ID_TOGGLE_24HOUR 32777
#define ID_SYNC_NOW 32778
#define ID_NETWORK_SETTINGS 32781
#define ID_SYNC_STATUS 32783
#define ID_APP_ABOUT 57664

#define IDD_COLOR_DIALOG 147
#define IDD_CALENDAR_DIALOG 150
#define IDC_SET_ONLINE_COLOR 1039
#define IDC_SET_OFFLINE_COLOR 1040
#define IDC_ONLINE_SWATCH 1043
#define IDC_OFFLINE_SWATCH 1044
#define IDC_MONTH_CALENDAR 1051
