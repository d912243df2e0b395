/* Resource numbers of the starfield example beyond the framework's own
 * (resource_ids.h), shared by starfield.rc and starfield.cpp. */
#ifndef STARFIELD_IDS_H
#define STARFIELD_IDS_H

/* The monitor control on the example's page (template 2003). */
#define IDC_STARFIELD_MONITOR 200
/* WS_CHILD | WS_VISIBLE | MS_PREVIEW: a monitor that frames a preview.
 * Resource scripts cannot include dusklit.h; starfield.cpp checks that
 * the number agrees with MS_PREVIEW. */
#define STARFIELD_MONITOR_STYLE 0x50000001

#endif
