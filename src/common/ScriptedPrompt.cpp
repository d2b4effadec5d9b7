#include "common/ScriptedPrompt.h"
