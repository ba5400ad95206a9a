// Resource and control identifiers of the client (shared by the .rc file and the code).
#pragma once

#define APP_MAIN 1
#define MYWAITCURSOR 2

// Message log window.
#define IDC_LOGTEXT 5554
#define IDM_LOG_EXIT 5555
#define IDM_LOG_SAVEAS 5556
#define IDM_SHOWLOG 5557
#define IDM_COPY 2200

// Input prompts.
#define IDC_PROMPT 3010
#define IDC_INPUT 3020
#define IDC_INPUTCOMBO 2405
#define IDC_HELPBUTTON 9041

// Main-window commands used by the shell so far.
#define IDM_CONNECT 9000
#define IDM_HELP 9041
#define IDM_LOGWND 9047
#define IDM_CMDLINE 7654
#define IDM_TYPECHANGED 8100
