#pragma once

// Identifiers shared by menus, toolbar, accelerators, string table and command maps. The values
// are fixed: users' settings and the Windows resource script depend on them.

// Resources
#define IDR_MAINFRAME 128
#define IDR_RIGHTMENU 130
#define IDR_DOCTYPE 129
#define IDD_ABOUTBOX 100
#define IDD_DIALOGBAR 128
#define IDP_OLE_INIT_FAILED 100
#define IDC_STATIC (-1)
#define IDOK 1

// Commands of this program
#define ID_COPY_TO 32776
#define ID_DELETE_FILE 32777
#define ID_REMOVE_FROM_LIST 32778
#define ID_SHELL_OPEN 32779
#define ID_OPEN_FOLDER 32781
#define ID_FILE_EXPORT 32782
#define ID_FILE_SEARCH_TYPES 32783
#define ID_VIEW_EVIDENCE_PANE 32784
#define ID_VIEW_GRADE_COLUMN 32785

// Standard commands
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_FILE16 57631
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

// Status bar
#define ID_SEPARATOR 0
#define ID_INDICATOR_EXT 59136
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139
#define ID_INDICATOR_OVR 59140
#define ID_INDICATOR_REC 59141

// Standard strings
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDS_SAVEFILE 61441
#define AFX_IDS_ALLFILTER 61442
#define AFX_IDS_UNTITLED 61443
#define AFX_IDP_FAILED_TO_OPEN_DOC 61697
#define AFX_IDP_FAILED_TO_SAVE_DOC 61698
#define AFX_IDP_FAILED_INVALID_PATH 61729
#define AFX_IDP_FAILED_ACCESS_READ 61731
#define AFX_IDP_FAILED_ACCESS_WRITE 61732
