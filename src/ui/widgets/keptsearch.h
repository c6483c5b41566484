#pragma once

#include <functional>
#include <initializer_list>

class QComboBox;

namespace bc {

// Fills the drop-down boxes of a search afresh (fill clears and fills them)
// keeping what each showed: the item of the same text when the new list has
// it, else the text as typed. A reload never widens the user's search.
void refillKeepingText(std::initializer_list<QComboBox *> boxes, const std::function<void()> &fill);

} // namespace bc
