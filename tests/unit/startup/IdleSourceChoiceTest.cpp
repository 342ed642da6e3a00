#include <gtest/gtest.h>

#include "startup/IdleSourceChoice.h"

namespace driftmere {
namespace {

TEST(IdleSourceChoiceTest, AWaylandSessionUsesItsCompositorNeverXWayland) {
    using K = IdleSourceKind;
    struct Case {
        SessionOffers offers;  // wayland, x, ext, kde, mutter
        K kind;
    };
    const Case cases[] = {
        {{false, true, false, false, false}, K::XServer},
        {{false, false, true, true, true}, K::None},  // nothing to watch without a session
        {{true, true, true, true, true}, K::ExtIdleNotify},
        {{true, true, false, true, true}, K::KdeIdle},
        {{true, true, false, false, true}, K::MutterIdleMonitor},
        {{true, true, false, false, false}, K::None},  // an X display there counts for nothing
        {{true, false, false, false, false}, K::None},
    };
    for (const Case& c : cases) {
        const SessionOffers& o = c.offers;
        SCOPED_TRACE(::testing::Message() << o.waylandSession << o.xDisplay << o.extIdleNotify
                                          << o.kdeIdle << o.mutterIdleMonitor);
        EXPECT_EQ(ChooseIdleSource(o), c.kind);
        if (c.kind == K::None) EXPECT_FALSE(NoIdleSourceReason(o).empty());
    }
}

}  // namespace
}  // namespace driftmere
