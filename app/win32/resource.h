// Resource identifiers shared by the resource script and the status dialog.
#pragma once

#define IDD_ORVXLINK_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_STATUS 1000
#define IDC_ADDRESSES 1001
#define IDC_LAST_APP 1002
#define IDC_LOG_PLACE 1003
