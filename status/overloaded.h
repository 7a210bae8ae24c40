// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace status {

// One visitor of a std::variant made of a lambda per alternative.
template<class... Ts>
struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace status
