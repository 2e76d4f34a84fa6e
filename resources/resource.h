// Resource ids of the executable, each kind in a range of its own:
//   100s   RCDATA pictures (IDR_)
//   200s   button glyphs (IDB_)
//   300s   image strips (IDB_)
//   1000s  string table (IDS_), a hundred ids for each purpose:
//          1000  the framework's own texts (framework/StringIds.h)
//          1200  the tray icon's errors
//          1300  the client locator: what the registry holds instead of a folder
//          1400  how a failure's status sentence and explanation are put together
//          1500  the settings file's problems
//          1600  starting the client, and putting the settings back at the close
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

#define IDS_FOLDER_NOT_FULL_PATH 1300
#define IDS_FOLDER_IS_FILE 1301
#define IDS_FOLDER_WRONG_TYPE 1302
#define IDS_FOLDER_UNREADABLE 1303
#define IDS_DATA_DWORD 1304
#define IDS_DATA_QWORD 1305
#define IDS_DATA_MULTI_SZ 1306
#define IDS_DATA_BINARY 1307
#define IDS_DATA_NONE 1308
#define IDS_DATA_OF_TYPE 1309

#define IDS_SENTENCE 1400
#define IDS_SENTENCE_FILE 1401
#define IDS_SENTENCE_LOOKED_FOR 1402
#define IDS_PROBLEM 1403
#define IDS_PROBLEM_FILE 1404
#define IDS_PROBLEM_FOLDER 1405
#define IDS_PROBLEM_LOOKED_FOR 1406
#define IDS_PROBLEM_PROGRAM 1407
#define IDS_PLACES 1408
#define IDS_WINDOWS_SAYS 1409
#define IDS_WINDOWS_GAVE_NO_REASON 1410

#define IDS_NO_CLIENT 1500
#define IDS_NO_CLIENT_TAIL 1501
#define IDS_NO_CLIENT_BODY 1502
#define IDS_NO_FOLDER 1503
#define IDS_NO_FOLDER_TAIL 1504
#define IDS_NO_FOLDER_BODY 1505
#define IDS_NO_FILE 1506
#define IDS_NO_FILE_TAIL 1507
#define IDS_NO_FILE_BODY 1508
#define IDS_CLIENT_RUNNING 1509
#define IDS_CLIENT_RUNNING_TAIL 1510
#define IDS_CLIENT_RUNNING_BODY 1511
#define IDS_IN_USE 1512
#define IDS_IN_USE_TAIL 1513
#define IDS_IN_USE_BODY 1514
#define IDS_ACCESS_DENIED 1515
#define IDS_ACCESS_DENIED_TAIL 1516
#define IDS_ACCESS_DENIED_BODY 1517
#define IDS_READ_ONLY 1518
#define IDS_READ_ONLY_TAIL 1519
#define IDS_READ_ONLY_BODY 1520
#define IDS_NOT_XML 1521
#define IDS_NOT_XML_BODY 1522
#define IDS_NO_SETTINGS 1523
#define IDS_NO_SETTINGS_BODY 1524
#define IDS_NEW_SETTINGS_TAIL 1525
#define IDS_NEW_SETTINGS_BODY 1526
#define IDS_DAMAGE_EMPTY 1527
#define IDS_DAMAGE_CUT_SHORT 1528
#define IDS_DAMAGE_ENCODING 1529
#define IDS_DAMAGE_NOT_XML 1530
#define IDS_DAMAGE_AT 1531
#define IDS_DAMAGE_AT_REASON 1532
#define IDS_NOT_VERIFIED 1533
#define IDS_NOT_VERIFIED_TAIL 1534
#define IDS_NOT_VERIFIED_BODY 1535
#define IDS_NOT_VERIFIED_BODY_REASON 1536
#define IDS_PATH_CHANGED 1537
#define IDS_PATH_CHANGED_TAIL 1538
#define IDS_PATH_CHANGED_BODY 1539
#define IDS_NOT_A_FOLDER 1540
#define IDS_NOT_A_FOLDER_TAIL 1541
#define IDS_NOT_A_FOLDER_BODY 1542
#define IDS_DISK_FULL 1543
#define IDS_DISK_FULL_TAIL 1544
#define IDS_DISK_FULL_BODY 1545
#define IDS_OTHER 1546
#define IDS_OTHER_TAIL 1547
#define IDS_OTHER_BODY 1548

#define IDS_LAUNCH 1600
#define IDS_LAUNCH_TAIL 1601
#define IDS_LAUNCH_BODY 1602
#define IDS_LAUNCH_NO_PROGRAM 1603
#define IDS_LAUNCH_NOT_A_PROGRAM 1604
#define IDS_LAUNCH_PATH_TOO_LONG_TAIL 1605
#define IDS_LAUNCH_PATH_TOO_LONG_BODY 1606
#define IDS_RESTORE_FAILED 1607
#define IDS_RESTORE_FAILED_TUNED 1608
