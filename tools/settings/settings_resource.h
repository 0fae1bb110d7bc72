// Identifiers of the settings dialog's resources.
#pragma once

#define IDD_SETTINGS 100
#define IDC_SKINS 1001
#define IDC_PREVIEW 1002
#define IDC_HUE 1003
#define IDC_HUE_VALUE 1004
#define IDC_SATURATION 1005
#define IDC_SATURATION_VALUE 1006
#define IDC_FOLLOW 1007
#define IDC_STATUS 1008
#define IDC_APPLY 1009
