#include "startup/AppState.h"

AppStateData AppState;
