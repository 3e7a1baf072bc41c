#include "app/app_state.h"

AppState app;
std::mutex lookupFieldsLock;

void resetAppState()
{
    app = AppState{};
}
