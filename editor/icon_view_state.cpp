#include "editor/icon_view_state.h"
