/* Ids of the test saver's own page (2003) and About box (2004), shared by
 * tests/config/test_saver.rc and the tests. Plain #defines: windres reads
 * this file too. */
#ifndef DUSKLIT_TEST_SAVER_IDS_H
#define DUSKLIT_TEST_SAVER_IDS_H

#define IDC_TEST_PREVIEW_MONITOR 2101 /* gets a hand-made screen and preview */
#define IDC_TEST_EMPTY_MONITOR   2102 /* gets a screen window but no preview */
#define IDC_TEST_LABEL           2103

/* In Cyrillic and CJK, written in UTF-8 (test_saver.rc says so to the
 * resource compiler), so the tests see every language reach the screen. */
#define TEST_SAVER_SHEET_CAPTION "Свойства заставки 屏幕保護"
#define TEST_SAVER_PAGE_CAPTION  "Тест 測試"
#define TEST_SAVER_PAGE_LABEL    "Настройки заставки 設定"
#define TEST_SAVER_ABOUT_CAPTION "О заставке 關於"
#define TEST_SAVER_ABOUT_GROUP   "Звёзды 星空"

#endif
