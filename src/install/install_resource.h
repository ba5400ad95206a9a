// Resource ids of the installer's dialogs.
#pragma once

#define IDC_INSTALL_PROMPT 3010
#define IDC_INSTALL_TEXT 954
#define IDM_INSTALL_RUN 100
