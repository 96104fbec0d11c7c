#pragma once

#include <string>

#include "user_interaction.h"

class QWidget;

namespace quenlark {

// Shows `text` in a box of `style`, modal for the whole program, with the
// program's title as caption, and waits for the answer. The first button is
// the default. Escape and the close button answer Cancel where there is a
// Cancel button and OK where OK is the only one; a Yes/No box can be closed
// only with Yes or No. `details`, when given, goes under the text.
Answer showMessageBox(QWidget* parent, const std::string& text, MessageStyle style,
                      const std::string& details = {});

}  // namespace quenlark
