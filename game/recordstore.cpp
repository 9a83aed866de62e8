#include "recordstore.h"

QString defaultDataDir() { return {}; }
