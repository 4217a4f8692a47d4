// The editor view's rules without a window: being filled in.
#pragma once

namespace kavrel {

class CIconViewState {
public:
    int zoom = 8;
};

}  // namespace kavrel
