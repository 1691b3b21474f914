#include "day_scenario.h"

#include "satellite.h"

namespace zelto::bench {

namespace {

// A beacon frame every 0.42 s: 215 bytes at 4800 Bd with the gaps between frames.
long secondOf(long slot) {
    return slot * 42 / 100;
}

void count(DayCounts& counts, const Broadcast& b) {
    switch (b.what) {
    case Broadcast::What::Text:
        ++counts.text;
        break;
    case Broadcast::What::Icon:
        ++counts.icon;
        break;
    case Broadcast::What::Image:
        ++(b.kind == ImageKind::Thumbnail ? counts.thumbnail : counts.puzzle);
        break;
    case Broadcast::What::Other:
        ++counts.other;
        break;
    case Broadcast::What::Unkept:
        ++counts.unkept;
        break;
    }
}

} // namespace

DayCounts writeDay(const DayPlan& plan, CaptureWriter& out) {
    SeededRandom random(plan.seed);
    Satellite satellite(random.child(0), plan.picture);
    SeededRandom station = random.child(1);
    DayCounts counts;
    long written = 0;
    auto hear = [&](const Broadcast& b) {
        if (written >= plan.frames)
            return;
        const Frame frame = satellite.frameOf(b);
        out.add(plan.quiet ? withoutInterest(frame) : frame, secondOf(b.slot));
        count(counts, b);
        ++written;
    };
    while (written < plan.frames) {
        ++counts.passes;
        const int length = station.between(400, 1800);
        const int loss = station.between(10, 150);
        for (int i = 0; i < length && written < plan.frames; ++i) {
            const Broadcast b = satellite.next();
            if (station.perMille(loss))
                continue;
            hear(b);
            // A frame heard twice, through a digipeater or a second receiver.
            if (station.perMille(8))
                hear(b);
        }
        for (int gap = station.between(300, 3000); gap > 0; --gap)
            satellite.next();
    }
    counts.images = satellite.imagesMade();
    return counts;
}

} // namespace zelto::bench
