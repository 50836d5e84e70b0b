#pragma once

// Resource and control identifiers shared by the program and its resources.
#define IDD_BRINDLE 101
#define IDI_BRINDLE 102
#define IDM_TAGS 103

#define IDS_DROP_HINT 1
#define IDS_MANUAL_PAGE 2
#define IDS_UNDO 3

// The dialog's own item in its system menu (system commands are multiples of 16).
#define IDM_UNDO 0x0010

#define IDC_EXIT 1001
#define IDC_HELP_BUTTON 1002
#define IDC_HEAD 1004
#define IDC_END 1005
#define IDC_TOPMOST 1006
#define IDC_TAG_BUTTON 1007
#define IDC_SENDTO 1008
#define IDC_AFFIX 1010
#define IDC_HISTORY_COUNT 1011

// The tag menu's items are IDM_TAG_FIRST + their row in the tag table, up to
// IDM_TAG_END (not included).
#define IDM_TAG_FIRST 40010
#define IDM_TAG_END 40100
