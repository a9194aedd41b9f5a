#pragma once

#include "trick/controls.h"

#include <string_view>

// The three event procedures that stage the trick. Each is a fixed sequence of single
// property assignments; the state of the trick lives only in the controls.
namespace trick {

inline constexpr std::string_view calculating_message = "Calculating..... Please wait!";
inline constexpr std::string_view done_message = "DONE! Your card is gone!";
inline constexpr std::int32_t countdown_ms = 5000;

void cmdcalculate_Click(Controls &form);
void Timer1_Timer(Controls &form);
void cmdagain_Click(Controls &form);

} // namespace trick
