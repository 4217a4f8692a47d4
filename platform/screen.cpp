#include "platform/screen.h"

namespace kavrel {

ScreenInfo& Screen()
{
    static ScreenInfo screen;
    return screen;
}

}  // namespace kavrel
