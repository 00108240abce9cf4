#include "platform/headless/recording_launcher.h"
