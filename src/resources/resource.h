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

// ---- The main window's controls (table order of the layout), command ids of its buttons ----
#define IDC_LOCAL_DIRCOMBO 960
#define IDC_REMOTE_DIRCOMBO 961
#define IDC_LOCAL_DIRS 924
#define IDC_LOCAL_FILES 927
#define IDC_REMOTE_DIRS 929
#define IDC_REMOTE_FILES 931
#define IDC_UPLOAD 939
#define IDC_DOWNLOAD 940
#define IDC_LOCAL_CHGDIR 933
#define IDC_REMOTE_CHGDIR 934
#define IDC_LOCAL_MKDIR 935
#define IDC_REMOTE_MKDIR 936
#define IDC_LOCAL_RMDIR 937
#define IDC_REMOTE_RMDIR 938
#define IDC_LOCAL_MASK 926
#define IDC_REMOTE_MASK 930
#define IDC_LOCAL_VIEW 941
#define IDC_REMOTE_VIEW 942
#define IDC_LOCAL_EXEC 9045
#define IDC_REMOTE_EXEC 9046
#define IDC_LOCAL_RENAME 947
#define IDC_REMOTE_RENAME 948
#define IDC_LOCAL_DELETE 945
#define IDC_REMOTE_DELETE 946
#define IDC_LOCAL_REFRESH 943
#define IDC_REMOTE_REFRESH 944
#define IDC_LOCAL_DIRINFO 949
#define IDC_REMOTE_DIRINFO 950
#define IDC_MODE_ASCII 1851
#define IDC_MODE_BINARY 1852
#define IDC_MODE_AUTO 1853
#define IDM_CANCEL 9033
#define IDM_OPTIONS 5130
#define IDM_ABOUT 9037
#define IDM_EXIT 9042

// ---- Commands of the "FTP Menu" popup and the system menu ----
#define IDM_POPUP_CONNECT 1320
#define IDM_POPUP_CLOSE 1321
#define IDM_POPUP_CWD 1301
#define IDM_POPUP_HELP 1303
#define IDM_POPUP_SYST 1304
#define IDM_POPUP_SITE 1305
#define IDM_POPUP_LIST 1306
#define IDM_POPUP_NLST 1308
#define IDM_POPUP_PWD 1309
#define IDM_POPUP_QUOTE 1310
#define IDM_POPUP_RETR 1311
#define IDM_POPUP_STOR 1314
#define IDM_POPUP_ABOUT 1500
#define IDM_POPUP_ASSOCIATE 1601
#define IDM_POPUP_OPTIONS 9036

// ---- Help contexts (topics of MIRVAN.HLP) ----
#define HLP_CONTENTS 10
#define HLP_CONNECT 30
#define HLP_PASSWORD 80
#define HLP_FIREWALL_PASSWORD 82
#define HLP_ACCOUNT 85
#define HLP_STATUS 140
#define HLP_COMMAND_LINE 145
#define HLP_DIRECTORIES 180
#define HLP_MAKE_DIRECTORY 185
#define HLP_TRANSFER_MODE 200
#define HLP_FILES 220
#define HLP_VIEW 230
#define HLP_OPTIONS 260
#define HLP_MAIL_ADDRESS 270
#define HLP_SEND_NAME 630
#define HLP_RECEIVE_NAME 640
#define HLP_REMOVE_DIRECTORY 650
#define HLP_SITE 700
#define HLP_QUOTE 710
