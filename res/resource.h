// Resource, control and command ids shared by Corvane.rc and the code.
#pragma once

// Dialog templates
#define IDD_EXIT_WARNING        134
#define IDD_BROWSER_WARNING     138
#define IDD_MAIN_REMEMBERED     143   // main dialog when "Remember" is set
#define IDD_ABOUT               148
#define IDD_MAIN_SIGNUP         149   // main dialog with the sign-up link
#define IDD_SWITCH_WARNING      156

// Menu
#define IDR_TRAY_MENU           4

// Icons (48, 32 and 16 px, 32 bpp)
#define IDI_APP                 128   // blue shield with a padlock
#define IDI_DISCONNECTED        136   // grey shield
#define IDI_CONNECTED           137   // blue shield with a padlock

// Bitmaps
#define IDB_LOCATIONS           139   // 16x16 strip, 48 images
#define IDB_SERVERS             140   // 16x16 strip, 2 images
#define IDB_ABOUT               146   // 900x261 About picture
#define IDB_STATIC_SLOTS        149   // 16x16 strip, 60 images

// Strings
#define IDS_APP_NAME            136
#define IDS_PROCESS_START_FAILED 139
#define IDS_DISCONNECT          141
#define IDS_CONNECT             142
#define IDS_CONNECTED_STATIC    143
#define IDS_NO_UPDATES          144
#define IDS_UPDATE_AVAILABLE    145
#define IDS_ASK_UPDATE_CHECK    146
#define IDS_RECONNECT_FAILED    151
#define IDS_UNEXPECTED_ERROR    153
#define IDS_UNABLE_TO_CONNECT   154
#define IDS_LOGIN_REFUSED       155
#define IDS_SERVER_CLOSED       156
#define IDS_NETWORK_LOST        157
#define IDS_INPUT_FILE_FAILED   158
#define IDS_CONNECTED_ROTATING  160
#define IDS_DISCONNECTED_BALLOON 161
#define IDS_TOOLTIP_CONNECTED   163
#define IDS_TOOLTIP_DISCONNECTED 164
#define IDS_ADMIN_REQUIRED      167
#define IDS_DONT_SHOW_AGAIN     169
#define IDS_FORBIDDEN_CHARS     170
#define IDS_USERNAME_FORBIDDEN  171
#define IDS_PASSWORD_FORBIDDEN  172
#define IDS_PORT_IN_USE         180
#define IDS_UNKNOWN_PROGRAM     181
#define IDS_PASSWORD_NOT_DELIVERED 182
#define IDS_TUNNEL_NOT_CONTAINED 183
#define IDS_UNSAFE_COMMAND_LINE 184

// Controls of the main dialog
#define IDC_USERNAME            1003
#define IDC_PASSWORD            1004
#define IDC_SERVER              1007  // hidden list of host entries
#define IDC_LOCATION            1008
#define IDC_STATIC_IP           1009
#define IDC_CONNECT             1016
#define IDC_REMEMBER            1019
#define IDC_MANAGE_ACCOUNT      1022
#define IDC_HELP_BUTTON         1023
#define IDC_VERIFY_CONNECTION   1024
#define IDC_SIGNUP_PROMPT       1042
#define IDC_SIGNUP_LINK         1043

// Controls of the warning dialogs
#define IDC_DONT_SHOW           1014
#define IDC_WARNING_TEXT        1020

// Controls of the About box
#define IDC_ABOUT_PICTURE       1040
#define IDC_ABOUT_CLOSE         1041

// Tray menu and window commands
#define ID_LOCATION_FIRST       32501 // 32501 + location index
#define ID_LOCATION_LAST        32510
#define ID_SLOT99_FIRST         32551 // "Not used" slots
#define ID_SLOT99_LAST          32570
#define ID_US_STATIC_FIRST      32601 // 32601 + slot
#define ID_CA_STATIC_FIRST      32621 // 32621 + slot
#define ID_STATIC_SLOT_LAST     32680
#define ID_HELP_COMMAND         32772
#define ID_CHECK_UPDATES        32773
#define ID_CONNECT_COMMAND      32774
#define ID_EXIT                 32775
#define ID_DISCONNECT           32776
#define ID_SHOW_WINDOW          32777
#define ID_ABOUT                32785
#define ID_RESTORE_DEFAULTS     32788
#define ID_END_DIALOG           32823
#define ID_STANDARD_HELP        57670

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
