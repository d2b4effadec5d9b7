#include "common/Messages.h"
