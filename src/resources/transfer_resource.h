// Control ids of the list-editor dialogs.
#pragma once
#define IDC_LISTEDIT_ENTRY 954
#define IDC_LISTEDIT_LIST 955
#define IDC_LISTEDIT_DEST 956
#define IDC_LISTEDIT_DELETE 945
#define IDC_LISTEDIT_ADD 128
#define IDC_LISTEDIT_HELP 9041
