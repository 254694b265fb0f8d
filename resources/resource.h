// Resource and command ids, one group a kind. Each kind keeps to its own range, except where
// the program's resources fix a number that other kinds' ranges hold: the JPEG quality
// dialog is template 9 and its controls are 1009 and 1011, numbers that lie among the tool
// panel's controls. 1011 is thus both the panel's red field and the quality field: the two
// belong to different dialogs, and a control id needs to be unique only in its own dialog,
// so the two never meet. New ids take numbers no other id of their kind uses.
#pragma once

// Menus (IDR_)
#define IDR_MAIN_MENU           101
#define IDR_VIEW_MENU           105     // the main window's context menu

// Dialog templates (IDD_)
#define IDD_JPEG_QUALITY        9
#define IDD_TOOL_PANEL          102
#define IDD_COLOUR_KEY          106     // making a colour transparent
#define IDD_ALPHA_BRUSH         107     // the alpha brush
#define IDD_REFINE_EDGE         108     // cleaning the edge of a cut-out

// Icon and cursor, one id for both resource types (IDI_)
#define IDI_APP                 104

// Menu commands (IDM_)
#define IDM_OPEN_IMAGE          40004
#define IDM_SAVE_AS             40006
#define IDM_VERSION             40010
#define IDM_EXIT                40011
#define IDM_UNDO                40012   // the context menu's commands
#define IDM_REDO                40013
#define IDM_ZOOM_IN             40014
#define IDM_ZOOM_OUT            40015
#define IDM_ZOOM_FIT            40016
#define IDM_ZOOM_ACTUAL         40017
#define IDM_CHECKERBOARD        40018
#define IDM_COLOUR_KEY          40019
#define IDM_COPY                40020
#define IDM_PASTE               40021
#define IDM_ALPHA_BRUSH         40022
#define IDM_REFINE_EDGE         40023

// Tool panel controls (IDC_)
#define IDC_APPLY_ALPHA         1001
#define IDC_X_FROM              1002
#define IDC_Y_FROM              1003
#define IDC_X_TO                1004
#define IDC_Y_TO                1005
#define IDC_SHOW_RANGE_BLACK    1006
#define IDC_HIDE_RANGE          1007
#define IDC_SHOW_RANGE_WHITE    1008
#define IDC_PICK_ALPHA          1010
#define IDC_PICK_RED            1011
#define IDC_PICK_GREEN          1012
#define IDC_PICK_BLUE           1013
#define IDC_SWATCH              1017
#define IDC_WHOLE_RANGE         1018
#define IDC_ALPHA_VALUE         1019

// Colour key dialog controls (IDC_); OK and Cancel are the system's IDOK (1) and IDCANCEL (2)
#define IDC_KEY_SWATCH          1101
#define IDC_KEY_COLOUR          1102
#define IDC_TOLERANCE           1103
#define IDC_TOLERANCE_SLIDER    1104
#define IDC_CONNECTED           1105
#define IDC_EVERYWHERE          1106
#define IDC_IN_RANGE            1107
#define IDC_CLEAN_EDGES         1108
#define IDC_SOFT_SHADOWS        1109

// Alpha brush dialog controls (IDC_); its close button is the system's IDCANCEL (2)
#define IDC_BRUSH_SIZE          1201
#define IDC_BRUSH_SIZE_SLIDER   1202
#define IDC_BRUSH_HARDNESS      1203
#define IDC_BRUSH_HARDNESS_SLIDER 1204
#define IDC_BRUSH_ALPHA         1205
#define IDC_BRUSH_ALPHA_SLIDER  1206
#define IDC_BRUSH_PAINT         1207
#define IDC_BRUSH_RESTORE       1208

// Edge cleaning dialog controls (IDC_); OK and Cancel are the system's IDOK (1) and IDCANCEL (2)
#define IDC_MATTE_SWATCH        1301
#define IDC_MATTE_COLOUR        1302
#define IDC_EDGE_WIDTH          1303
#define IDC_EDGE_WIDTH_SLIDER   1304
#define IDC_EDGE_SHRINK         1305
#define IDC_REFINE_IN_RANGE     1306

// JPEG quality dialog controls (IDC_); its Cancel button is the system's IDCANCEL (2)
#define IDC_JPEG_OK             1009
#define IDC_JPEG_QUALITY        1011

// Labels without an id of their own
#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
