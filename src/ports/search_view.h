// The search window the user sees: the window as a whole, its controls, and the notices
// shown with it. Parts that need only one of these take that port alone.
#pragma once

#include "ports/form_controls.h"
#include "ports/user_notices.h"
#include "ports/view_window.h"

namespace varnel {

class SearchView : public ViewWindow, public FormControls, public UserNotices {
 protected:
  ~SearchView() = default;
};

}  // namespace varnel
