#pragma once

// Window classes and control identifiers, shared with the end-to-end tests
// that find the windows and controls from outside.
#define VANTARY_MONITOR_CLASS L"VantaryGatewayMonitor"
#define VANTARY_SETTINGS_CLASS L"VantaryGatewaySettings"

// Notifications of the tray icon (lParam carries the mouse message).
#define VANTARY_WM_TRAY (0x8000 + 1)
// Re-check the socket for datagrams left waiting after an upload.
#define VANTARY_WM_SOCKET (0x8000 + 2)
// The monitor window's timer that tries the tray icon again.
#define VANTARY_TIMER_TRAY_RETRY 1

// Main_form
#define IDC_LABEL1 101
#define IDC_LABEL2 102
#define IDC_TEXT1 103
#define IDC_TEXT2 104
#define IDC_LABEL6 105
#define IDC_LABEL4 106
#define IDC_VERSIONLABEL 107
#define IDC_SETTINGSCOMMAND 108
#define IDC_HIDECOMMAND 109

// Settings_form
#define IDC_S_FRAME1 201
#define IDC_S_LABEL1 202
#define IDC_S_EMAILTEXT 203
#define IDC_S_LABEL3 204
#define IDC_S_CALLSIGNTEXT 205
#define IDC_S_LABEL2 206
#define IDC_S_PASSWORDTEXT 207
#define IDC_S_LABEL7 208
#define IDC_S_SHOWPASSWORDSCHECK 209
#define IDC_S_FRAME2 210
#define IDC_S_LABEL5 211
#define IDC_S_HOSTPORTNUMBERTEXT 212
#define IDC_S_FRAME3 213
#define IDC_S_LABEL13 214
#define IDC_S_LABEL11 215
#define IDC_S_LABEL9 216
#define IDC_S_LABEL10 217
#define IDC_S_FRAME4 218
#define IDC_S_LABEL4 219
#define IDC_S_LABEL8 220
#define IDC_S_LABEL16 221
#define IDC_S_LABEL15 222
#define IDC_S_LABEL12 223
#define IDC_S_SAVECOMMAND 224
#define IDC_S_CANCELCOMMAND 225
#define IDC_S_LABEL6 226
#define IDC_S_LABEL14 227
#define IDC_S_VERSIONLABEL 228

// Tray menu commands
#define IDM_SHOW_MONITOR 301
#define IDM_SHOW_SETTINGS 302
#define IDM_HIDE_POPUP 303
#define IDM_EXIT 304

#define IDI_APP 1
