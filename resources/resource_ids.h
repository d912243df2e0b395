/*
 * resource_ids.h - the numbers of every resource Dusklit carries, shared
 * by the resource scripts and the code. Plain #defines only: windres and
 * rc.exe read this file too.
 */
#ifndef DUSKLIT_RESOURCE_IDS_H
#define DUSKLIT_RESOURCE_IDS_H

/* Icons */
#define IDI_SAVER   100 /* the saver's own icon (a saver may supply its own) */
#define IDI_DUSKLIT 199 /* the library's icon; its presence proves the resources are linked */

/* Bitmaps */
#define IDB_MONITOR       3010 /* monitor picture and its mask side by side */
#define IDB_MARK_DEFAULT  3011
#define IDB_MARK_NOW      3012
#define IDB_MARK_NEVER    3013

/* Dialog templates */
#define IDD_SAVER_PAGE    2003 /* supplied by a saver: its own configuration page */
#define IDD_SAVER_ABOUT   2004 /* supplied by a saver: its own About box */
#define IDD_CONFIG_HOST   3600
#define IDD_GENERAL_PAGE  3601
#define GENERAL_PAGE_WIDTH  237 /* the General page's size in its dialog units */
#define GENERAL_PAGE_HEIGHT 220
#define IDD_ABOUT         3602

/* Controls of the hidden configuration host (3600) and the About box (3602) */
#define IDC_HOST_CHILD    3638 /* the host's one static, "ctrlchild" */
#define IDC_ABOUT_GROUP   10   /* group box whose caption receives the version; also in a saver's 2004 */

/* Strings: the separate previewer */
#define IDS_PREVIEWER_NAME          50
#define IDS_PREVIEWER_NOT_STARTED   51
#define IDS_PREVIEWER_NO_RESPONSE   52
#define IDS_PREVIEWER_INIT_FAILED   53
#define IDS_PREVIEWER_NOT_FOUND     54
#define IDS_PREVIEWER_NO_CHILD      55
/* Strings: the loadable library */
#define IDS_WRONG_INSTALL_DIR       56

/* Strings: the registry settings */
#define IDS_REG_SCREEN_SAVERS_KEY   500
#define IDS_REG_PASSWORD_DELAY      501
#define IDS_REG_PASSWORD_DELAY_INDEX 502
#define IDS_REG_MOUSE_THRESHOLD     503
#define IDS_REG_MOUSE_THRESHOLD_INDEX 504
#define IDS_REG_MOUSE_CORNERS       505
#define IDS_REG_MUTE_SOUND          506
#define IDS_REG_ACTIVE_CONFIG       507

/* Strings: the monitor control */
#define IDS_CORNER_DEFAULT          3050
#define IDS_CORNER_NOW              3051
#define IDS_CORNER_NEVER            3052
#define IDS_SCREEN_CORNERS          3055 /* the monitor's screen inside the picture */
#define IDS_AGENT_WARNING_CAPTION   3057
#define IDS_AGENT_WARNING           3058

/* Strings: the configuration sheet */
#define IDS_ABOUT_MENU_ITEM         3500
#define IDS_SHEET_CAPTION           3501

/* Strings: the password facilities */
#define IDS_MPR_DLL                 3520
#define IDS_PWD_CHANGE_ENTRY        3521
#define IDS_PWD_PROVIDER_KEY        3522
#define IDS_REG_DESKTOP_KEY         3523
#define IDS_REG_USE_PASSWORD        3524
#define IDS_PASSWORD_CPL            3525
#define IDS_VERIFY_PWD_ENTRY        3526
#define IDS_REG_SECURE_SAVER        3527

/* Strings: the hot-corner providers, help and the General page */
#define IDS_AGENT_DLL               3530
#define IDS_AGENT_DETECT_ENTRY      3531
#define IDS_AGENT_CHANGED_ENTRY     3532
#define IDS_PLUS_HELP_FILE          3533
#define IDS_SENSITIVITY_HIGH        3534
#define IDS_SENSITIVITY_NORMAL      3535
#define IDS_SENSITIVITY_LOW         3536
#define IDS_SENSITIVITY_KEYBOARD    3537
#define IDS_UNIT_SECONDS            3538
#define IDS_UNIT_MINUTES            3539
#define IDS_ALWAYS_PASSWORD         3540
#define IDS_NEVER_PASSWORD          3541
#define IDS_HELP_FILE               3560

/* Controls: the General page (3601), in template order */
#define IDC_AGENT_TEXT              3638 /* hot corners explained: the System Agent runs */
#define IDC_NO_AGENT_TEXT           3639 /* hot corners need the System Agent */
#define IDC_DISMISS_GROUP           3630
#define IDC_SENSITIVITY_LABEL       3631
#define IDC_SENSITIVITY             3632
#define IDC_WAIT_LABEL              3633
#define IDC_PASSWORD_DELAY          3634
#define IDC_PASSWORD_DELAY_ARROWS   3635
#define IDC_PASSWORD_DELAY_UNIT     3636
#define IDC_PASSWORD_DELAY_TAIL     3637
#define IDC_PASSWORD_POLICY         3644 /* replaces the Wait row 3633 to 3637 */
#define IDC_CORNERS                 3640 /* the monitor control */
/* Its style bits: MS_CORNERS of dusklit.h, which resource scripts cannot
 * include; config/general_page.cpp checks that the two agree. */
#define MONITOR_TYPE_CORNERS        0x0002
#define IDC_MUTE_SOUND              3641
#define IDC_ACTIVE_CONFIG           3643

/* Menu items */
#define IDM_ABOUT                   3500 /* the sheet's system-menu item */
#define IDM_CORNER_BASE             0x1000 /* + IDM_CORNER_STRIDE * corner + CornerAction */
#define IDM_CORNER_STRIDE           0x100

#endif /* DUSKLIT_RESOURCE_IDS_H */
