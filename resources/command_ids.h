// Command ids of the menu and accelerator items, shared by the resources and the code.
#pragma once

#define IDM_FILE_NEW 40000
#define IDM_FILE_OPEN 40001
#define IDM_FILE_SAVE 40002
#define IDM_FILE_PRINT 40003
#define IDM_FILE_EXIT 40004
#define IDM_EDIT_CUT 41000
#define IDM_EDIT_COPY 41001
#define IDM_EDIT_PASTE 41002
#define IDM_EDIT_DELETE 41003
#define IDM_EDIT_SELECT_ALL 41004
#define IDM_WORD_WRAP_NO 42000
#define IDM_WORD_WRAP_YES 42001
#define IDM_POINT_SIZE_BASE 44000  // + the point size, 8 to 72
#define IDM_ABOUT 45000
