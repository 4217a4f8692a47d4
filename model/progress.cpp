#include "model/progress.h"

namespace kavrel {

ProgressSink& NullProgress()
{
    static ProgressSink sink;
    return sink;
}

}  // namespace kavrel
