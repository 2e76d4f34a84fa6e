// Resource ids of the executable. Ranges: 100s RCDATA pictures, 200s button glyphs,
// 300s image strips; string ids are fixed by the order of the program's string table.
#pragma once

#define IDR_BANNER 100
#define IDR_BANNER_2X 101

#define IDB_GLYPH_RETRY 200
#define IDB_GLYPH_RETRY_2X 201
#define IDB_GLYPH_CANCEL 202
#define IDB_GLYPH_CANCEL_2X 203

#define IDB_TRAY_IMAGES 300

#define IDS_CANNOT_CREATE_NOTIFY_ICON 0
#define IDS_CANNOT_REMOVE_NOTIFY_ICON 5
