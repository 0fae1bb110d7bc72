// Identifiers of the band's translatable strings (band_strings.rc): what
// screen readers and tooltips say about the band and its buttons.
#pragma once

#define IDS_BAND_NAME 2400
#define IDS_BUTTON_PREV 2401
#define IDS_BUTTON_PLAYPAUSE 2402
#define IDS_BUTTON_STOP 2403
#define IDS_BUTTON_NEXT 2404
#define IDS_BUTTON_VOLDOWN 2405
#define IDS_BUTTON_VOLUP 2406
#define IDS_ACTION_PRESS 2407
