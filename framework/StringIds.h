// String-table ids of the texts the framework itself puts before the user: the box for a failure
// that is none of the program's exceptions, and the wording of registry, system and timer errors.
// The program's resource script carries the texts; 1000 to 1099 are the framework's. Definitions
// only, since the resource compiler reads this header too.
#pragma once

#define IDS_APPLICATION_ERROR_CAPTION 1000
#define IDS_APPLICATION_ERROR 1001
#define IDS_REGISTRY_GET_DATA_FAILED 1002
#define IDS_REGISTRY_INVALID_TYPE 1003
#define IDS_SYSTEM_ERROR_CODE 1004
#define IDS_NO_TIMERS 1005
