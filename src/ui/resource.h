// Resource ids shared by setup.rc and the dialog code. Kept free of
// anything but #define so the resource compiler can read it.
#ifndef GV_UI_RESOURCE_H
#define GV_UI_RESOURCE_H

// Destination dialog ("Main").
#define IDC_DEST_DIR 104
#define IDC_DEST_PROMPT (-1)

// Agreement dialog ("License"). The agreement text itself is a field made at
// run time with id 0.
#define IDC_LICENSE_NOTICE 101
#define IDC_LICENSE_HEADING 102
#define IDC_LICENSE_TEXT 0

// Program group dialog ("Group").
#define IDC_GROUP_PROMPT 101
#define IDC_GROUP_NAME 102

// Both progress dialogs: the frame marks where the bar is drawn.
#define IDC_PROGRESS_FRAME 101
#define IDC_PROGRESS_CAPTION (-1)

// The manifest is resource 1 of type 24 (RT_MANIFEST).
#define GV_MANIFEST_ID 1
#define GV_RT_MANIFEST 24

#endif
