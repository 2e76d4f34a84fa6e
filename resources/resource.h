// Resource ids of the executable, each kind in a range of its own:
//   100s   RCDATA pictures (IDR_)
//   200s   button glyphs (IDB_)
//   300s   image strips (IDB_)
//   1000s  string table (IDS_), a hundred ids for each purpose:
//          1000  the framework's own texts (framework/StringIds.h)
//          1200  the tray icon's errors
#pragma once

#include "framework/StringIds.h"

#define IDR_BANNER 100
#define IDR_BANNER_2X 101

#define IDB_GLYPH_RETRY 200
#define IDB_GLYPH_RETRY_2X 201
#define IDB_GLYPH_CANCEL 202
#define IDB_GLYPH_CANCEL_2X 203

#define IDB_TRAY_IMAGES 300

#define IDS_CANNOT_CREATE_NOTIFY_ICON 1200
#define IDS_CANNOT_REMOVE_NOTIFY_ICON 1201
