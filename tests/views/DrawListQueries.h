// Picks the commands of one kind out of a drawing list, in their order.
#pragma once

#include "views/DrawList.h"

#include <variant>
#include <vector>

namespace calvix::test {

template <typename Command>
std::vector<Command> All(const DrawList& list) {
    std::vector<Command> found;
    for (const DrawCommand& c : list)
        if (const auto* command = std::get_if<Command>(&c)) found.push_back(*command);
    return found;
}

}  // namespace calvix::test
