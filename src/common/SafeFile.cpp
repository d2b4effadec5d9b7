#include "common/SafeFile.h"
