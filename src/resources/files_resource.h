// Ids of the file-command dialogs (rc-compatible).
#pragma once

#define IDC_DELETE_TEXT 954  // DLG_DELETE: the question
#define IDC_DELETE_ALL 4     // DLG_DELETE: "Delete &All"
#define IDC_DELETE_NO 7      // DLG_DELETE: "&No"
