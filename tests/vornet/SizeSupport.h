// Walks the element counts of the typed replicator families, so a test can
// touch every exported member and a missing export fails at link time.
#pragma once

#include <utility>

namespace size_test {

template <typename F, unsigned int... S>
void forSizes(F&& visit, std::integer_sequence<unsigned int, S...>)
{
    (visit.template operator()<S + 1>(), ...);
}

// Calls visit<SIZE>() for SIZE 1 to COUNT.
template <unsigned int COUNT, typename F>
void forEachSizeUpTo(F&& visit)
{
    forSizes(visit, std::make_integer_sequence<unsigned int, COUNT>{});
}

// The numeric, interpolating and value-holder members: 1 to 12.
template <typename F>
void forEachSize(F&& visit)
{
    forEachSizeUpTo<12>(visit);
}

}  // namespace size_test
