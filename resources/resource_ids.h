// Identifiers of the dialog templates, controls and icons. Shared by the
// resource script and the code, so it holds only #define lines.
#pragma once

#define IDI_PROGRAM 500
#define IDI_SECOND 501

// Main window (template "MainDialog").
#define IDC_MAIN_PATH 1000
#define IDC_MAIN_LETTERS 1001
#define IDC_MAIN_SIZE 1002
#define IDC_MAIN_PREVIEW 1003
#define IDC_MAIN_TYPE 1004
#define IDC_MAIN_ABOUT 1016
#define IDC_MAIN_FEEDBACK 1017
#define IDC_MAIN_WORDS 3002
#define IDC_MAIN_LINES 3003
#define IDC_MAIN_SENTENCES 3004
#define IDC_MAIN_DIGITS 3005
#define IDC_MAIN_SPACES 3006
#define IDC_MAIN_SYMBOLS 3007
#define IDC_MAIN_CHARACTERS 3008
#define IDC_MAIN_AVERAGE_WORD 3009
#define IDC_MAIN_AVERAGE_SENTENCE 3010

// Message dialog.
#define IDD_MESSAGE 1005
#define IDC_MESSAGE_LINE1 850
#define IDC_MESSAGE_LINE2 851
#define IDC_MESSAGE_LINE3 852
#define IDC_MESSAGE_LINE4 853
#define IDC_MESSAGE_BAR 600
#define IDC_MESSAGE_CONTINUE 1  // IDOK
#define IDC_MESSAGE_CANCEL 2    // IDCANCEL

// About dialog.
#define IDD_ABOUT 1025
#define IDC_ABOUT_EMAIL 850
#define IDC_ABOUT_SITE 851
#define IDC_ABOUT_MAIL_BUTTON 1000
#define IDC_ABOUT_SITE_BUTTON 1002
#define IDC_ABOUT_PAGES 1003
#define IDC_ABOUT_PAGE_TEXT 1015
#define IDC_ABOUT_ACTION 3
#define IDC_ABOUT_OK 1  // IDOK
