/* Numbers shared by prism.rc and prism.cpp, each including this once. */
#define IDC_PRISM_MONITOR   200        /* the monitor picture on the page (2003) */
#define PRISM_MONITOR_STYLE 0x50000001 /* WS_CHILD | WS_VISIBLE | MS_PREVIEW (1) */
