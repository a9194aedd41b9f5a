#pragma once

#include "tests/reliability/trick_model.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <iostream>
#include <sstream>

namespace rc {

template <> struct Arbitrary<Event> {
    static Gen<Event> arbitrary()
    {
        // Presses and ticks come often, so that sequences get through whole cycles.
        return gen::weightedOneOf<Event>({
            {4, gen::just(Event{Event::PressCalculate})},
            {3, gen::just(Event{Event::PressAgain})},
            {3, gen::just(Event{Event::TickFallsDue})},
            {3, gen::construct<Event>(gen::just(Event::TimePasses), gen::inRange(0, 6001))},
            {1, gen::just(Event{Event::OpenAbout})},
            {1, gen::just(Event{Event::OpenInstructions})},
            {1, gen::just(Event{Event::OpenAnswer})},
            {1, gen::construct<Event>(gen::just(Event::TimePassesInBox), gen::inRange(0, 6001))},
        });
    }
};

} // namespace rc

// Runs `property` on `runs` random event sequences of up to `longest` events. A failure
// fails the current test and prints the seed and the shrunk sequence.
template <typename Property> void check_sequences(int runs, int longest, Property property)
{
    rc::detail::TestParams params = rc::detail::configuration().testParams;
    params.maxSuccess = runs;
    params.maxSize = longest;
    rc::detail::TestMetadata metadata;
    metadata.id = testing::UnitTest::GetInstance()->current_test_info()->name();
    const auto result = rc::detail::checkTestable(
        [&](const std::vector<Event> &events) {
            RC_PRE(events.size() <= static_cast<std::size_t>(longest));
            property(events);
        },
        metadata, params);
    if (!result.template is<rc::detail::SuccessResult>()) {
        std::ostringstream message;
        rc::detail::printResultMessage(result, message);
        ADD_FAILURE() << message.str();
    } else {
        std::cout << "passed " << result.template get<rc::detail::SuccessResult>().numSuccess
                  << " sequences\n";
    }
}
