// Resource identifiers of the viewer, grouped by the resource that uses them. Plain #defines
// only, so that both the C++ compiler and the resource compiler can read this file.
#ifndef ORVANTA_VIEWER_RESOURCE_H
#define ORVANTA_VIEWER_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Licence agreement
#define IDD_LICENCE             101
#define IDC_LICENCE_EDIT        1000

// Main menu
#define IDR_MAINMENU            102
#define IDM_EXIT                40005
#define IDM_ABOUT               40007
#define IDM_SEARCH              40009

// Password
#define IDD_PASSWORD            103
#define IDC_PASSWORD_EDIT       1001

// Properties
#define IDD_PROPERTIES          106
#define IDC_PROP_TYPE           1000
#define IDC_PROP_NAME           1002
#define IDC_PROP_ENCRYPTION     1003
#define IDC_PROP_SIZE           1004
#define IDC_PROP_SPARE          1005
#define IDC_PROP_IDNUMBER       1006
#define IDC_PROP_NAMETEXT       1007
#define IDC_PROP_NOTE           1008

// About box
#define IDD_ABOUT               109
#define IDC_ABOUT_LINK          1003
#define IDC_ABOUT_BUILD         1004
#define IDB_ABOUT               110

// Export progress (its Abort button is IDCANCEL)
#define IDD_EXPORTING           111
#define IDB_ANIM_FIRST          112
#define IDB_ANIM_LAST           118
#define IDB_ANIM_COUNT          7

// User note
#define IDD_USERNOTE            128
#define IDC_USERNOTE_GREETING   1002
#define IDC_USERNOTE_EDIT       1009

// The disc's own About box
#define IDD_CUSTOMABOUT         131
#define IDC_CUSTOMABOUT_LINE1   1010
#define IDC_CUSTOMABOUT_LINE2   1011
#define IDC_CUSTOMABOUT_LINE3   1012

// Search
#define IDD_SEARCH              132
#define IDC_SEARCH_BY_ID        1011
#define IDC_SEARCH_BY_NAME      1012
#define IDC_SEARCH_TEXT         1013
#define IDC_SEARCH_BY_FILENAME  1014

// Search results
#define IDD_SEARCHRESULTS       133
#define IDC_RESULTS_LIST        1014
#define IDC_RESULTS_COUNT       1015

// Icons
#define IDI_APP                 105
#define IDI_ROOT                119
#define IDI_FOLDER_OPEN         120
#define IDI_FILE                121
#define IDI_FOLDER              129

// Main window: splitter cursor and the caption bitmaps of the header strip
#define IDC_SPLITTER            122
#define IDB_CAPTION_FILES       124
#define IDB_CAPTION_FOLDERS     125
#define IDB_CAPTION_END         126

#endif
