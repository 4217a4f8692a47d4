// Progress of long file work: the main window shows it in its status bar,
// everything else passes the null sink.
#pragma once

#include <string>

namespace kavrel {

struct ProgressSink {
    virtual ~ProgressSink() = default;
    virtual void Begin(const std::string& caption, int steps) { (void)caption, (void)steps; }
    virtual void Step(int i) { (void)i; }
    virtual void End() {}
};

// A sink that shows nothing.
ProgressSink& NullProgress();

// Ends the progress on every way out of a function.
class ProgressScope {
public:
    ProgressScope(ProgressSink& sink, const std::string& caption, int steps) : sink_(sink)
    {
        sink_.Begin(caption, steps);
    }
    ~ProgressScope() { sink_.End(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void Step(int i) { sink_.Step(i); }

private:
    ProgressSink& sink_;
};

}  // namespace kavrel
