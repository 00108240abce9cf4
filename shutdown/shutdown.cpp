#include "shutdown/shutdown.h"
