#include "platform/ui/PendingEvents.h"

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {

void LetPendingEventsRun() {
    CurrentUiBackend().ProcessPendingEvents();
}

}  // namespace tarn::platform::ui
