// Resource identifiers shared by the resource script and the status dialog.
#pragma once

#define IDD_ORVXLINK_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_STATUS 1000
#define IDC_ADDRESSES 1001
