#include "platform/ui/ViewAnimation.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <memory>

namespace folio {

namespace {
constexpr double kFrameInterval = 1.0 / 60.0;
} // namespace

Rect ViewAnimation::interpolate(const Rect& from, const Rect& to, double progress)
{
    return makeRect(interpolate(from.minX(), to.minX(), progress), interpolate(from.minY(), to.minY(), progress),
                    interpolate(from.width(), to.width(), progress), interpolate(from.height(), to.height(), progress));
}

void ViewAnimation::animate(double durationSeconds, Step step, std::function<void()> completion)
{
    if (durationSeconds <= 0) {
        step(1.0);
        if (completion)
            completion();
        return;
    }
    RunLoop& loop = RunLoop::main();
    const double start = loop.now();
    auto timer = std::make_shared<RunLoop::TimerId>(0);
    *timer = loop.scheduleTimer(kFrameInterval, true, [timer, start, durationSeconds, step = std::move(step),
                                                        completion = std::move(completion)] {
        const double progress = std::min(1.0, (RunLoop::main().now() - start) / durationSeconds);
        step(progress);
        if (progress < 1.0)
            return;
        // Invalidating drops this callback's captures, so keep what runs after.
        auto finish = completion;
        RunLoop::main().invalidate(*timer);
        if (finish)
            finish();
    });
}

} // namespace folio
