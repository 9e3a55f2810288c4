// The command-line rule the tools share for values: an empty one is refused as a usage error.
// Every default is reached by leaving an option out, so an empty value ('' or an unset shell
// variable) is a slip; taken as "not given", it would drop a report or a profile in silence.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace calvix {

inline const CLI::Validator NonEmptyValue(
    [](std::string& input) { return input.empty() ? std::string("the value is empty") : std::string(); }, "");

// Gives every option of app that takes a value the check; call it once all options are added.
inline void RefuseEmptyValues(CLI::App& app) {
    for (CLI::Option* option : app.get_options())
        if (option->get_type_size_max() > 0) option->check(NonEmptyValue);
}

}  // namespace calvix
