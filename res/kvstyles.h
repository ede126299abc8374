/* Window and control styles for the resource scripts (the values Windows gives them), so that
   the scripts need no Windows headers. */
#ifndef KV_STYLES_H
#define KV_STYLES_H
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_TABSTOP 0x00010000L
#define WS_GROUP 0x00020000L
#define WS_BORDER 0x00800000L
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_SHELLFONT 0x48L
#define DS_CENTER 0x0800L
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define SS_LEFT 0x0000L
#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L
#define IDOK 1
#define IDCANCEL 2
#endif
