#include "app/PressReleaseApp.h"
