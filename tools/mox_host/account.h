// The readable account of a scenario for a person: each step with what the plugin published,
// requested and logged, the expectations and faults, and at the end the published end-of-game
// statistics as a scoreboard. Colour only when asked (the output is a terminal); names with wide
// characters keep the columns aligned.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "binding/binding_property.h"

namespace Zarn::MoxHost {

class Account {
public:
    Account(std::ostream& out, bool colour) : out_(out), colour_(colour) {}

    // Takes one transcript object, as the player emits it.
    void Add(const Binding::BindingProperty& object);
    // The scoreboard of the last statistics published, if any; `champions` is the champion
    // summary (a list of {id, alias}).
    void Finish(const Binding::BindingProperty& champions);

private:
    std::string Paint(const char* code, const std::string& text) const;

    std::ostream& out_;
    bool colour_;
    Binding::BindingProperty lastStats_;
};

// Columns the text takes in a terminal (UTF-8; wide characters count two).
std::size_t DisplayWidth(std::string_view text);

}  // namespace Zarn::MoxHost
