// Resource identifiers of the plug-in module and of its language packs (which carry the same
// identifiers). Included by korvane.rc and by plug-in code, so it holds plain #defines only.
#pragma once

// Version of the plug-in; a language pack must be at least 2.0.0.1 to be used.
#define KV_VERSION_MAJOR 3
#define KV_VERSION_MINOR 2
#define KV_VERSION_BUILD 0
#define KV_VERSION_REVISION 0
#define KV_VERSION_TEXT "3.2.0.0"

// Options dialog: caption font and page titles.
#define IDS_OPTIONS_CAPTION_FONT 32802
#define IDS_PAGE_LANGUAGE 32803
#define IDS_PAGE_SHAPE 32804
#define IDS_PAGE_TAB_STYLE 32812
#define IDS_PAGE_TAB_ITEM 32813
#define IDS_PAGE_SAVE 32814
#define IDS_PAGE_START 32815
#define IDS_PAGE_CLOUDFOLD 32866
#define IDS_PAGE_TOOLTIP 32867
#define IDS_PAGE_SHORT_KEY 32868
#define IDS_PAGE_CACHE 32869
#define IDS_PAGE_SCRIPT 32874
#define IDS_PAGE_PLUGINS 32883
#define IDS_PAGE_FAVORITES 32902
#define IDS_PAGE_ABOUT 32903
#define IDS_PAGE_TEMPLATE 32912
#define IDS_PAGE_SIMILAR_MENU 32913
#define IDS_PAGE_HIGHER_DWG 32914

// Messages.
#define IDS_LANGPACK_TOO_OLD 32805
#define IDS_SETTINGS_FILE_CORRUPT 32808
#define IDS_LANGPACK_NOT_FOUND 32818
#define IDS_SAVE_CHANGES 32885
#define IDS_ASK_CLOSE_WITHOUT_SAVE 32908

// Tab context menu and system menu entries.
#define IDS_CLOSE 32820
#define IDS_SELECTED_FILE_CLOSE 32821
#define IDS_MENU_VIEW 32822
#define IDS_MENU_FAVORITES 32823
#define IDS_OPEN_ONLY_CURRENT 32824
#define IDS_SAVE_ALL 32825
#define IDS_SAVE_ALL_TO_FOLDER 32826
#define IDS_SAVE_CLOSE_ALL 32827
#define IDS_NOSAVE_CLOSE_ALL 32828
#define IDS_FAVORITES_ADD 32829
#define IDS_FAVORITES_REMOVE 32830
#define IDS_FAVORITES_OPEN_ALL 32831
#define IDS_FAVORITES_NEW_APPEND 32832
#define IDS_WINDOW_CASCADE 32833
#define IDS_WINDOW_TILE_HORZ 32834
#define IDS_WINDOW_TILE_VERT 32835
#define IDS_WINDOW_ARRANGE_ICONS 32836
#define IDS_SCRIPT 32837
#define IDS_SORT_ASCENDING 32838
#define IDS_SORT_DESCENDING 32839
#define IDS_FIND_DOCUMENT 32840
#define IDS_CONFIG_SETTING 32841
#define IDS_MENU_SIMILAR 32842
#define IDS_MENU_USER_COMMAND 32843
#define IDS_MENU_TEMPLATES 32844
#define IDS_NEW_FROM_TEMPLATE 32845
#define IDS_COPY_PATHS 32862
#define IDS_INSERT_DWG 32863
#define IDS_BATCH_SCRIPT 32864
#define IDS_MENU_LAYOUTS 32865
#define IDS_CLOUDFOLD_OPEN 32870
#define IDS_CLOUDFOLD_SAVE 32871
#define IDS_CLOUDFOLD_SAVEAS 32872
#define IDS_LINK_FILE_OPEN 32873
#define IDS_CLOUDFOLD_INSERT 32882
#define IDS_MENU_DRAWING_HISTORY 32884
#define IDS_OPEN_CONTAINING_FOLDER 32901
#define IDS_OPEN_FROM_OTHER_HOST 32904
#define IDS_MENU_LAYER_STATES 32905
#define IDS_SAVE_CLOSE_ALL_EXIT 32906
#define IDS_NOSAVE_CLOSE_ALL_EXIT 32907
#define IDS_LINK_FOLDER_OPEN 32909
#define IDS_CHANGE_TO_LINK_TAB 32910
#define IDS_MULTI_MONITOR 32911
#define IDS_OPEN_WITH_ADDON 32915
#define IDS_COMBINE_DWG 32916
#define IDS_MENU_WINDOW 32917

// Drawing description in the tab tooltip.
#define IDS_DESC_TITLE 32846
#define IDS_DESC_SUBJECT 32847
#define IDS_DESC_AUTHOR 32848
#define IDS_DESC_KEYWORDS 32849
#define IDS_DESC_COMMENTS 32850
#define IDS_DESC_HYPERLINK 32851
#define IDS_DESC_LAST_SAVED_BY 32852
#define IDS_DESC_REVISION 32853
#define IDS_DESC_NO_SUMMARY 32854
#define IDS_DESC_CUSTOM_HEADER 32855
#define IDS_DESC_CUSTOM_NAME 32856
#define IDS_DESC_CUSTOM_VALUE 32857
#define IDS_DESC_NO_CUSTOM 32858
#define IDS_DESC_FILE_SIZE 32859
#define IDS_DESC_FILE_DATE 32860
#define IDS_DESC_FORMAT 32861

// Web storage.
#define IDS_CLOUDFOLD_UNREACHABLE 32875
#define IDS_CLOUDFOLD_LOGIN_FAILED 32876
#define IDS_CLOUDFOLD_UPLOAD_FAILED 32877
#define IDS_CLOUDFOLD_DOWNLOAD_FAILED 32878
#define IDS_CLOUDFOLD_SAVE_FIRST 32879
#define IDS_CLOUDFOLD_SERVER 32880
#define IDS_SELECT_FOLDER 32881

// Further dialog and operation texts.
#define IDS_APPLY_ALL 32886
#define IDS_SELECT_SCRIPT_FILE 32887
#define IDS_FIND_TITLE 32888
#define IDS_FIND_FILE_NAME 32889
#define IDS_FILE_NOT_FOUND 32890
#define IDS_FILE_READ_ONLY 32891
#define IDS_OPEN_FAILED 32892
#define IDS_SAVE_FAILED 32893
#define IDS_DRAWING_UNNAMED 32894
#define IDS_NO_DRAWINGS_MARKED 32895
#define IDS_BATCH_NO_SCRIPTS 32896
#define IDS_BATCH_NO_DRAWINGS 32897
#define IDS_BATCH_NO_CONSOLE 32898
#define IDS_HELP_NOT_FOUND 32899
#define IDS_COMMAND_RUNNING 32900

// Pictures of the tab strip, in the order the tab control holds them: the file icons, the
// format strips, the overlays and the action glyphs.
#define IDB_TAB_FIRST 300
#define IDB_ICON_GENERIC 300
#define IDB_ICON_DXF 301
#define IDB_ICON_12 302
#define IDB_ICON_13 303
#define IDB_ICON_14 304
#define IDB_ICON_15 305
#define IDB_ICON_16 306
#define IDB_ICON_17 307
#define IDB_ICON_18 308
#define IDB_ICON_19 309
#define IDB_ICON_20 310
#define IDB_ICON_UNKNOWN 311
#define IDB_STRIP_R12 312
#define IDB_STRIP_R13 313
#define IDB_STRIP_R14 314
#define IDB_STRIP_2000 315
#define IDB_STRIP_2004 316
#define IDB_STRIP_2007 317
#define IDB_STRIP_2010 318
#define IDB_STRIP_2013 319
#define IDB_STRIP_2018 320
#define IDB_STRIP_UNKNOWN 321
#define IDB_OVERLAY_MODIFIED 322
#define IDB_OVERLAY_READONLY 323
#define IDB_OVERLAY_LINK 324
#define IDB_GLYPH_CLOSE 325
#define IDB_GLYPH_MENU 326
#define IDB_GLYPH_LINK 327
#define IDB_TAB_COUNT 28

// Bitmaps shared by the tab control: the close, menu and link glyphs, and the tab-menu arrow.
#define IDB_SHARED_CLOSE 203
#define IDB_SHARED_MENU 220
#define IDB_SHARED_LINK 239
#define IDB_SHARED_ARROW 240
#define IDC_DRAG_TAB 350

// Dialogs.
#define IDD_FIND 290
#define IDC_FIND_TEXT 1001
#define IDC_FIND_LABEL 1002
#define IDC_FIND_HINT 1003
// The find-document command of the tab menu and of Ctrl+F.
#define ID_KV_DOCFIND 10023
// The popup every menu of the tab strip starts from: one separator.
#define IDR_TAB_MENU 410
// The save question of the operations over several drawings.
#define IDD_SAVE_PROMPT 292
#define IDC_PROMPT_ICON 1010
#define IDC_PROMPT_TEXT 1011
#define IDC_PROMPT_APPLY_ALL 1012
#define IDB_QUESTION 328
// The tab panel inside the dock bar: one tab control filling a 63 by 19 dialog-unit frame.
#define IDD_TAB_PANEL 200
#define IDC_TAB_CTRL 1000

// The plug-in's submenu in the host's right-click menu of the drawing area. Its built-in item only
// keeps the popup from being empty in the template: every showing replaces it with the user's menu.
#define IDR_CONTEXT_APP 270
#define IDM_CONTEXT_APP_USER 499

// The document switcher (Ctrl+Tab): its dialog, controls and the pictures of its list, in the
// order of the list's image list (index 0 the unknown format ... 12 a window that is no drawing).
#define IDD_SWITCHER 239
#define IDC_SWITCHER_LIST 225
#define IDC_SWITCHER_THUMBNAIL 228
#define IDC_SWITCHER_PATH 229
#define IDC_SWITCHER_OBJECTS 230
#define IDC_SWITCHER_SAVES 231
#define IDC_SWITCHER_LAST_VERSION 232
#define IDC_SWITCHER_ORIGINAL_VERSION 233
#define IDC_SWITCHER_STATUS 295
#define IDB_SWITCHER_UNKNOWN 275
#define IDB_SWITCHER_R10 274
#define IDB_SWITCHER_R12 268
#define IDB_SWITCHER_R13 269
#define IDB_SWITCHER_R14 270
#define IDB_SWITCHER_2000 271
#define IDB_SWITCHER_2004 272
#define IDB_SWITCHER_2007 273
#define IDB_SWITCHER_2010 276
#define IDB_SWITCHER_2013 280
#define IDB_SWITCHER_2018 290
#define IDB_SHARED_DOCUMENT 206
#define IDB_SHARED_WINDOW 207

// Previews: the picture of a drawing without one (the header reader's placeholder), the tooltip's
// placeholder picture and its four lines of text.
#define IDB_NO_PREVIEW 218
#define IDB_TOOLTIP_PLACEHOLDER 219
#define IDS_PLACEHOLDER_LINE1 32920
#define IDS_PLACEHOLDER_LINE2 32921
#define IDS_PLACEHOLDER_LINE3 32922
#define IDS_PLACEHOLDER_LINE4 32923
// The batch script dialog: script files run by the host's console program over drawing files.
#define IDD_BATCH_SCRIPT 288
#define IDC_BATCH_SCRIPT_ADD 297
#define IDC_BATCH_SELECT_FOLDER 298
#define IDC_BATCH_APPEND 299
#define IDC_BATCH_START 300
#define IDC_BATCH_SCRIPT_EDIT 301
#define IDC_BATCH_DRAWINGS 302
#define IDC_BATCH_PROGRESS 303
#define IDC_BATCH_FILE_TYPE 304
#define IDC_BATCH_SCRIPT_UP 305
#define IDC_BATCH_SCRIPT_DOWN 306
#define IDC_BATCH_SCRIPT_REMOVE 307
#define IDC_BATCH_SCRIPTS 308
#define IDC_BATCH_TEST_ALL 309
#define IDC_BATCH_REMOVE 266
#define IDC_BATCH_SUCCESS_REMOVE 267
#define IDC_BATCH_COUNT 239
#define IDC_BATCH_STOP 3
#define IDC_BATCH_CLOSE 1
#define IDC_BATCH_FILE_TYPE_HINT 1020
