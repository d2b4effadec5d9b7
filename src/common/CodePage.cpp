#include "common/CodePage.h"
